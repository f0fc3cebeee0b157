#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <dirent.h>
#include <set>
#include <string>
#include <vector>

#include "art.h"
#include "canvas.h"
#include "png_writer.h"

namespace skinart {
namespace {

struct Decoded {
  bool ok = false;
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

Decoded Decode(const std::vector<uint8_t>& png) {
  Decoded d;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return d;
  image.format = PNG_FORMAT_RGBA;
  d.rgba.resize(PNG_IMAGE_SIZE(image));
  d.ok = png_image_finish_read(&image, nullptr, d.rgba.data(), 0, nullptr) != 0;
  d.width = int(image.width);
  d.height = int(image.height);
  return d;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::vector<uint8_t> out;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return out;
  uint8_t buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  std::fclose(f);
  return out;
}

// width x height pixels cycling through `colours` distinct values.
std::vector<uint8_t> Pattern(int width, int height, int colours, bool opaque) {
  std::vector<uint8_t> px(size_t(width) * height * 4);
  for (int i = 0; i < width * height; ++i) {
    int c = (i * 7 + i / width) % colours;
    px[i * 4 + 0] = uint8_t(c * 37);
    px[i * 4 + 1] = uint8_t(c / 7);
    px[i * 4 + 2] = uint8_t(c % 5 * 50);
    px[i * 4 + 3] = opaque ? 255 : uint8_t(255 - c % 3 * 60);
  }
  return px;
}

TEST(SkinArtPng, EveryColourModeDecodesToTheSamePixels) {
  // colour count -> expected PNG colour type and bit depth (IHDR bytes 24, 25).
  struct Case { int colours; bool opaque; int depth, type; };
  for (Case c : {Case{2, false, 1, 3}, Case{4, true, 2, 3}, Case{16, false, 4, 3}, Case{200, false, 8, 3},
                 Case{300, true, 8, 2}, Case{300, false, 8, 6}}) {
    SCOPED_TRACE(c.colours);
    // Odd widths put palette rows' last byte half-used.
    for (int width : {1, 13, 64}) {
      std::vector<uint8_t> px = Pattern(width, 23, c.colours, c.opaque);
      std::vector<uint8_t> png = EncodePng(px, width, 23);
      ASSERT_GT(png.size(), 26u);
      if (width == 64) {
        EXPECT_EQ(png[24], c.depth);
        EXPECT_EQ(png[25], c.type);
      }
      Decoded d = Decode(png);
      ASSERT_TRUE(d.ok);
      EXPECT_EQ(d.width, width);
      EXPECT_EQ(d.rgba, px);
    }
  }
}

TEST(SkinArtRaster, EdgesCoverTheShapesExactArea) {
  Canvas c(64, 64);
  c.Fill(Circle(32.3f, 31.7f, 20), Hex(0xFFFFFF));
  Canvas r(64, 64);
  r.Fill(RoundRect(4.25f, 6.5f, 58.75f, 41.5f, 8), Hex(0xFFFFFF));
  double circle = 0, rect = 0;
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 64; ++x) {
      circle += c.Pixel(x, y)[3];
      rect += r.Pixel(x, y)[3];
    }
  EXPECT_NEAR(circle, 3.14159265 * 400, 400 * 0.01);
  double rectArea = 54.5 * 35 - (4 - 3.14159265) * 64;
  EXPECT_NEAR(rect, rectArea, rectArea * 0.005);
}

// A canvas at scale 2 is the same drawing with twice the pixels, not a
// blown-up one: edges still ramp over one pixel, at twice the coordinates,
// and a shadow's blur spans twice the pixels.
TEST(SkinArtRaster, TwiceCanvasDrawsTheSameShapesAsSharply) {
  Canvas one(20, 4), two(20, 4, 2);
  ASSERT_EQ(two.width(), 40);
  ASSERT_EQ(two.height(), 8);
  for (Canvas* c : {&one, &two}) c->Fill(RoundRect(2.35f, -5, 12.65f, 10, 0), Hex(0xFFFFFF));
  // 1x edges at 2.35 and 12.65 cover those pixels by their share.
  EXPECT_NEAR(one.Pixel(2, 1)[3], 0.65f, 1e-4f);
  EXPECT_NEAR(one.Pixel(12, 1)[3], 0.65f, 1e-4f);
  // 2x edges at 4.7 and 25.3: one partly covered pixel each, full and empty
  // pixels right beside them (a two-pixel ramp would give 0.4 and 0.9).
  const float expect[][2] = {{3, 0}, {4, 0.3f}, {5, 1}, {24, 1}, {25, 0.3f}, {26, 0}};
  for (auto& e : expect) EXPECT_NEAR(two.Pixel(int(e[0]), 3)[3], e[1], 1e-4f) << "x " << e[0];

  auto ramp = [](int scale) {
    Canvas c(64, 2, scale);
    c.Shadow(RoundRect(-100, -100, 32, 100, 0), Hex(0, 1), 6, 0, 0);
    int n = 0;
    for (int x = 0; x < c.width(); ++x) n += c.Pixel(x, 0)[3] < 0.9f && c.Pixel(x, 0)[3] > 0.1f;
    return n;
  };
  int rampOne = ramp(1), rampTwo = ramp(2);
  EXPECT_GE(rampOne, 4);
  EXPECT_NEAR(rampTwo, 2 * rampOne, 1);
}

void ListPngs(const std::string& dir, const std::string& prefix, std::set<std::string>& out) {
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    std::string path = dir + "/" + name;
    if (name.size() > 4 && name.compare(name.size() - 4, 4, ".png") == 0) out.insert(prefix + name);
    else ListPngs(path, prefix + name + "/", out);
  }
  closedir(d);
}

// The committed images are what the generator draws now, at every scale: a
// change of a colour or size that was not followed by a re-run shows up here.
TEST(SkinArtPackage, CommittedImagesAreTheGeneratorsOutput) {
  const std::string root = std::string(QUILLON_RES_DIR) + "/res";
  std::set<std::string> drawn, committed;
  ListPngs(root, "", committed);
  for (int scale : kScales) {
    for (const Image& im : DrawAll(scale)) {
      drawn.insert(im.path);
      SCOPED_TRACE(im.path);
      Decoded d = Decode(ReadFile(root + "/" + im.path));
      ASSERT_TRUE(d.ok) << "run: skin-art --out res/res";
      EXPECT_EQ(d.width, im.canvas.width());
      EXPECT_EQ(d.height, im.canvas.height());
      EXPECT_TRUE(d.rgba == im.canvas.ToRgba8()) << "run: skin-art --out res/res";
    }
  }
  EXPECT_EQ(drawn, committed);
}

// The layouts' source rectangles are in 1x units and the toolkit doubles
// them for an @2x file, so each committed @2x image must be exactly twice
// its 1x image each way, and must be the same picture: averaged down 2 x 2
// (in premultiplied colour, as a filter would) it must come back to the 1x
// image within edge rounding. A shape placed or sized differently at 2x,
// a nine-slice corner that moved, or a frame out of step fails here.
TEST(SkinArtPackage, TwiceImagesAreTheSamePictureAtTwiceTheSize) {
  const std::string root = std::string(QUILLON_RES_DIR) + "/res";
  std::vector<Image> ones = DrawAll(1);
  ASSERT_FALSE(ones.empty());
  for (const Image& one : ones) {
    std::string twicePath = ScaledPath(one.path, 2);
    SCOPED_TRACE(twicePath);
    Decoded a = Decode(ReadFile(root + "/" + one.path)), b = Decode(ReadFile(root + "/" + twicePath));
    ASSERT_TRUE(a.ok && b.ok);
    ASSERT_EQ(b.width, 2 * a.width);
    ASSERT_EQ(b.height, 2 * a.height);
    auto premul = [](const Decoded& d, size_t i, int k) {
      float alpha = d.rgba[i * 4 + 3] / 255.0f;
      return k == 3 ? alpha : d.rgba[i * 4 + k] / 255.0f * alpha;
    };
    // Alpha is the shapes' coverage; colour also carries how strokes thinner
    // than a 1x pixel round at each scale (the logo's nib reaches 0.28), so
    // it is given more room. The 2x drawing moved by one of its pixels
    // diagonally fails every image.
    float worstAlpha = 0, worstColour = 0;
    for (int y = 0; y < a.height; ++y)
      for (int x = 0; x < a.width; ++x)
        for (int k = 0; k < 4; ++k) {
          float down = 0;
          for (int j = 0; j < 2; ++j)
            for (int i = 0; i < 2; ++i) down += premul(b, size_t(2 * y + j) * b.width + 2 * x + i, k) / 4;
          float diff = std::fabs(down - premul(a, size_t(y) * a.width + x, k));
          float& worst = k == 3 ? worstAlpha : worstColour;
          worst = std::max(worst, diff);
        }
    EXPECT_LE(worstAlpha, 0.125f);
    EXPECT_LE(worstColour, 0.35f);
  }
}

TEST(SkinArtPackage, SpinnerFramesTurnEvenlyAndWrap) {
  // The arc's opacity-weighted centre (above the faint track) must turn 6
  // degrees a frame, including from frame 59 back to 0.
  std::vector<Image> images = DrawAll();
  std::vector<const Canvas*> frames;
  for (const Image& im : images)
    if (im.path.find("installBtnAnimate/") != std::string::npos) frames.push_back(&im.canvas);
  ASSERT_EQ(frames.size(), 60u);
  auto centroidAngle = [](const Canvas& c) {
    double sx = 0, sy = 0, h = c.width() / 2.0;
    for (int y = 0; y < c.height(); ++y)
      for (int x = 0; x < c.width(); ++x) {
        double a = c.Pixel(x, y)[3] - 0.15;
        if (a <= 0) continue;
        sx += (x + 0.5 - h) * a;
        sy += (y + 0.5 - h) * a;
      }
    return std::atan2(sy, sx) * 180 / 3.14159265358979;
  };
  for (size_t i = 0; i < frames.size(); ++i) {
    double step = centroidAngle(*frames[(i + 1) % frames.size()]) - centroidAngle(*frames[i]);
    while (step < -180) step += 360;
    while (step > 180) step -= 360;
    EXPECT_NEAR(step, 6.0, 0.25) << "frame " << i;
  }
}

}  // namespace
}  // namespace skinart
