#include "uikit/png.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>

#include "png_corpus.h"
#include "uikit/image_cache.h"

namespace SkinUI {
namespace {

Bitmap Sample(int w, int h) {
  Bitmap b;
  b.width = w;
  b.height = h;
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const uint32_t a = (x * 37 + y * 11) % 256;
      b.pixels.push_back(Premultiply((a << 24) | (uint32_t(x * 9) & 255) << 16 | (uint32_t(y * 5) & 255) << 8 | 0x7F));
    }
  }
  return b;
}

TEST(PngTest, EncodeThenDecodeGivesThePixelsBack) {
  for (auto [w, h] : {std::pair{1, 1}, std::pair{17, 9}, std::pair{300, 2}}) {
    const Bitmap in = Sample(w, h);
    const std::string bytes = EncodePng(in);
    Bitmap out;
    std::string error;
    ASSERT_TRUE(DecodePng(bytes, &out, &error)) << error;
    ASSERT_EQ(out.width, w);
    ASSERT_EQ(out.height, h);
    // Premultiplied storage loses colour in nearly transparent pixels; what
    // survives one round trip survives every later one unchanged.
    Bitmap again;
    ASSERT_TRUE(DecodePng(EncodePng(out), &again, &error));
    EXPECT_EQ(again.pixels, out.pixels);
    for (size_t i = 0; i < in.pixels.size(); ++i) {
      EXPECT_EQ(out.pixels[i] >> 24, in.pixels[i] >> 24);
      if ((in.pixels[i] >> 24) == 255) {
        EXPECT_EQ(out.pixels[i], in.pixels[i]);
      }
    }
  }
  EXPECT_EQ(EncodePng(Bitmap{}), "");
}

TEST(PngTest, EncodedChunksCarryValidCrcs) {
  const std::string bytes = EncodePng(Sample(5, 5));
  size_t at = 8, chunks = 0;
  while (at + 12 <= bytes.size()) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data() + at);
    const uint32_t len = (uint32_t(p[0]) << 24) | (p[1] << 16) | (p[2] << 8) | p[3];
    const uint32_t crc = (uint32_t(p[8 + len]) << 24) | (p[9 + len] << 16) | (p[10 + len] << 8) | p[11 + len];
    EXPECT_EQ(crc32(0, p + 4, len + 4), crc);
    at += 12 + len;
    ++chunks;
  }
  EXPECT_EQ(at, bytes.size());
  EXPECT_EQ(chunks, 3u);
}

TEST(PngTest, CorpusDecodesOrFailsCleanly) {
  const auto& corpus = skinui_test::PngCorpus();
  ASSERT_GE(corpus.size(), 15u);
  for (const auto& file : corpus) {
    Bitmap out;
    out.width = 99;
    std::string error;
    const bool ok = DecodePng(file.bytes, &out, &error);
    if (std::strncmp(file.name, "ok-", 3) == 0) {
      EXPECT_TRUE(ok) << file.name << ": " << error;
      EXPECT_FALSE(out.IsEmpty()) << file.name;
      EXPECT_EQ(out.pixels.size(), size_t(out.width) * out.height);
    } else {
      EXPECT_FALSE(ok) << file.name;
      EXPECT_FALSE(error.empty()) << file.name;
      EXPECT_TRUE(out.IsEmpty()) << file.name;
    }
  }
}

TEST(PngTest, PaletteWithTransparencyIsPremultiplied) {
  for (const auto& file : skinui_test::PngCorpus()) {
    if (std::strcmp(file.name, "ok-palette-alpha-3x1.png") != 0) continue;
    Bitmap out;
    std::string error;
    ASSERT_TRUE(DecodePng(file.bytes, &out, &error)) << error;
    ASSERT_EQ(out.width, 3);
    EXPECT_EQ(out.At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(out.At(1, 0), 0x80008000u);
    EXPECT_EQ(out.At(2, 0), 0x00000000u);
    return;
  }
  FAIL() << "corpus file missing";
}

TEST(ImageCacheTest, NamesMatchAcrossSlashesAndCaseAndFailuresAreRemembered) {
  int calls = 0;
  const std::string png = EncodePng(Sample(3, 2));
  ImageCache cache([&](const std::string& name, std::string* bytes) {
    ++calls;
    if (ImageCache::NormalizeName(name) == "res/mainwnd/bg1.png") {
      *bytes = png;
      return true;
    }
    if (name == "broken.png") {
      *bytes = "not a png";
      return true;
    }
    return false;
  });
  const Bitmap* a = cache.Get("res\\mainWnd\\bg1.png");
  ASSERT_NE(a, nullptr);
  EXPECT_EQ(a->width, 3);
  EXPECT_EQ(cache.Get("res/mainwnd/BG1.png"), a);
  EXPECT_EQ(cache.Get("missing.png"), nullptr);
  EXPECT_EQ(cache.Get("MISSING.png"), nullptr);
  EXPECT_EQ(cache.Get("broken.png"), nullptr);
  EXPECT_EQ(cache.Get("broken.png"), nullptr);
  EXPECT_EQ(cache.Get(""), nullptr);
  EXPECT_EQ(calls, 3);
  EXPECT_EQ(cache.LoadCount(), 3);
}

}  // namespace
}  // namespace SkinUI
