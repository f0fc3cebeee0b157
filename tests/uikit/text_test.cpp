// Text layout with the platform's real fonts ("微软雅黑" resolves to an
// installed Chinese font on both targets).
#include "uikit/text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace SkinUI {
namespace {

class TextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    glyphs_ = CreateGlyphSource();
    ASSERT_NE(glyphs_, nullptr);
  }
  static Bitmap Canvas(int w, int h) {
    Bitmap b;
    b.width = w;
    b.height = h;
    b.pixels.assign(static_cast<size_t>(w) * h, 0);
    return b;
  }
  // Left, top, right, bottom of the painted pixels (right/bottom exclusive).
  static Rect Ink(const Bitmap& b) {
    Rect r{b.width, b.height, 0, 0};
    for (int y = 0; y < b.height; ++y) {
      for (int x = 0; x < b.width; ++x) {
        if (b.At(x, y) >> 24) r = {std::min(r.left, x), std::min(r.top, y), std::max(r.right, x + 1), std::max(r.bottom, y + 1)};
      }
    }
    return r;
  }

  std::unique_ptr<GlyphSource> glyphs_;
  FontSpec font_{"微软雅黑", 14, false, false, false};
};

TEST_F(TextTest, Utf8DecodingReplacesBrokenSequences) {
  EXPECT_EQ(DecodeUtf8("a\xE4\xB8\xAD" "b"), U"a中b");
  EXPECT_EQ(DecodeUtf8("\xF0\x9F\x98\x80"), U"\U0001F600");
  EXPECT_EQ(DecodeUtf8("\xE4\xB8"), U"\uFFFD\uFFFD");       // truncated
  EXPECT_EQ(DecodeUtf8("\xC0\x80"), U"\uFFFD\uFFFD");       // overlong
  EXPECT_EQ(DecodeUtf8("\xED\xA0\x80"), U"\uFFFD\uFFFD\uFFFD");  // surrogate
}

TEST_F(TextTest, ChineseAndLatinGlyphsHaveCoverage) {
  for (char32_t c : {U'A', U'g', U'中', U'装', U'，'}) {
    const GlyphBitmap& g = glyphs_->Cached(font_, c);
    EXPECT_GT(g.advance, 0) << uint32_t(c);
    int ink = 0;
    for (uint8_t v : g.coverage) ink += v > 0;
    EXPECT_GT(ink, 3) << uint32_t(c);
  }
  const FontMetrics& m = glyphs_->CachedMetrics(font_);
  EXPECT_GE(m.height, 14);
  EXPECT_GT(m.ascent, 0);
  // CJK ideographs are square: about one em wide.
  EXPECT_NEAR(glyphs_->Cached(font_, U'中').advance, 14, 2);
}

TEST_F(TextTest, WrappedLinesNeverExceedTheWidth) {
  const std::string text =
      "Quillon installs in a moment. 安装程序将把译者安装到您选择的文件夹中，并创建桌面快捷方式。 "
      "Longwordwithoutanyspacesatallthatmustbreak somewhere.";
  for (int width : {60, 97, 150, 233}) {
    const auto lines = LayoutText(*glyphs_, font_, text, width, kTextWordBreak);
    ASSERT_GT(lines.size(), 1u) << width;
    std::u32string joined;
    for (const TextLine& l : lines) {
      EXPECT_LE(l.width, width) << width;
      EXPECT_FALSE(l.text.empty());
      EXPECT_NE(l.text.back(), U' ');
      EXPECT_NE(l.text.front(), U'，');  // no line starts with a comma
      joined += l.text;
    }
    // Only spaces are dropped at breaks.
    std::u32string all = DecodeUtf8(text);
    all.erase(std::remove(all.begin(), all.end(), U' '), all.end());
    joined.erase(std::remove(joined.begin(), joined.end(), U' '), joined.end());
    EXPECT_EQ(joined, all);
    const Size size = MeasureText(*glyphs_, font_, text, width, kTextWordBreak);
    EXPECT_LE(size.cx, width);
    EXPECT_EQ(size.cy, int(lines.size()) * glyphs_->CachedMetrics(font_).height);
  }
  // Single line ignores both the width and line feeds.
  EXPECT_EQ(LayoutText(*glyphs_, font_, "a b\nc", 5, kTextSingleLine | kTextWordBreak).size(), 1u);
  EXPECT_EQ(LayoutText(*glyphs_, font_, "a b\nc", 0, 0).size(), 2u);
}

TEST_F(TextTest, BreaksBetweenChineseCharactersAndAtSpacesOnly) {
  const int w = glyphs_->Cached(font_, U'中').advance * 3;
  const auto cjk = LayoutText(*glyphs_, font_, "中文字体测试", w, kTextWordBreak);
  ASSERT_EQ(cjk.size(), 2u);
  EXPECT_EQ(cjk[0].text, U"中文字");
  const auto words = LayoutText(*glyphs_, font_, "aaa bbb", MeasureText(*glyphs_, font_, "aaa bb", 0, 0).cx,
                                kTextWordBreak);
  ASSERT_EQ(words.size(), 2u);
  EXPECT_EQ(words[0].text, U"aaa");
  EXPECT_EQ(words[1].text, U"bbb");
}

TEST_F(TextTest, AlignmentPlacesTheLineWithinAPixel) {
  const std::string text = "Install 安装";
  const Size size = MeasureText(*glyphs_, font_, text, 0, kTextSingleLine);
  const Rect box{0, 0, 200, 40};
  auto ink = [&](unsigned style) {
    Bitmap b = Canvas(200, 40);
    Surface s(b);
    DrawText(s, *glyphs_, font_, text, box, 0xFF000000, style | kTextSingleLine);
    return Ink(b);
  };
  const Rect left = ink(kTextLeft | kTextTop);
  const Rect centre = ink(kTextCenter | kTextVCenter);
  const Rect right = ink(kTextRight | kTextBottom);
  ASSERT_LT(left.left, left.right);
  EXPECT_EQ(centre.left - left.left, (200 - size.cx) / 2);
  EXPECT_EQ(right.left - left.left, 200 - size.cx);
  EXPECT_EQ(centre.top - left.top, (40 - size.cy) / 2);
  EXPECT_EQ(right.top - left.top, 40 - size.cy);
  EXPECT_EQ(centre.Width(), left.Width());
}

TEST_F(TextTest, EllipsisKeepsALongLineInsideAndUnderlineAddsARow) {
  const std::string text = "A rather long line of text that cannot fit";
  const Rect box{0, 0, 80, 30};
  Bitmap b = Canvas(120, 30);
  Surface s(b);
  DrawText(s, *glyphs_, font_, text, box, 0xFF000000, kTextSingleLine | kTextEndEllipsis);
  const Rect ink = Ink(b);
  EXPECT_LE(ink.right, 80);
  EXPECT_GT(ink.right, 60);

  Bitmap plain = Canvas(100, 30), under = Canvas(100, 30);
  Surface ps(plain), us(under);
  DrawText(ps, *glyphs_, font_, "mmm", {0, 0, 100, 30}, 0xFF000000, kTextSingleLine);
  DrawText(us, *glyphs_, font_, "mmm", {0, 0, 100, 30}, 0xFF000000, kTextSingleLine | kTextUnderline);
  EXPECT_GT(Ink(under).bottom, Ink(plain).bottom);
}

TEST_F(TextTest, MissingCodePointStillDrawsSomethingOrAdvances) {
  // Hebrew is in DejaVu but not in the Chinese face: taken from another font.
  GlyphBitmap g;
  EXPECT_TRUE(glyphs_->Glyph(font_, U'\u05D0', &g));
  EXPECT_GT(g.advance, 0);
  EXPECT_FALSE(g.coverage.empty());
  // One that no font has: reported, and drawing it is harmless.
  GlyphBitmap none;
  EXPECT_FALSE(glyphs_->Glyph(font_, U'\U0010FFFD', &none));
  Bitmap b = Canvas(40, 20);
  Surface s(b);
  DrawText(s, *glyphs_, font_, "\xF4\x8F\xBF\xBD", {0, 0, 40, 20}, 0xFF000000, kTextSingleLine);
}

}  // namespace
}  // namespace SkinUI
