#include "uikit/layout.h"

#include <gtest/gtest.h>

namespace SkinUI {
namespace {

LayoutItem Fixed(int cx, int cy = 0) {
  LayoutItem it;
  it.fixed = {cx, cy};
  return it;
}

std::vector<int> Widths(const std::vector<Rect>& rs) {
  std::vector<int> w;
  for (const Rect& r : rs) w.push_back(r.Width());
  return w;
}

struct RowCase {
  const char* what;
  int width;
  BoxParams params;
  std::vector<LayoutItem> items;
  std::vector<int> widths;
};

TEST(BoxLayout, HorizontalWidthTable) {
  LayoutItem minWide = Fixed(0);
  minWide.minSize.cx = 300;
  LayoutItem maxNarrow = Fixed(0);
  maxNarrow.maxSize.cx = 50;
  LayoutItem clampedFixed = Fixed(500);
  clampedFixed.maxSize.cx = 120;
  LayoutItem hidden = Fixed(100);
  hidden.visible = false;
  LayoutItem padded = Fixed(0);
  padded.padding = {10, 0, 20, 0};
  const RowCase cases[] = {
      {"last spacer takes the remainder", 480, {}, {Fixed(0), Fixed(207), Fixed(0)}, {136, 207, 137}},
      {"three spacers share 100", 100, {}, {Fixed(0), Fixed(0), Fixed(0)}, {33, 33, 34}},
      {"childpadding counts between children only", 100, {{}, 10, Align::Start, Align::Start},
       {Fixed(0), Fixed(20), Fixed(0)}, {30, 20, 30}},
      {"inset narrows the row", 100, {{10, 0, 10, 0}, 0, Align::Start, Align::Start}, {Fixed(0), Fixed(0)},
       {40, 40}},
      {"overfull row leaves stretchables empty", 100, {}, {Fixed(80), Fixed(0), Fixed(80)}, {80, 0, 80}},
      {"minimum widens a stretchable, the last takes what is left", 400, {}, {minWide, Fixed(0)}, {300, 100}},
      {"maximum caps a stretchable", 400, {}, {maxNarrow, Fixed(0)}, {50, 350}},
      {"fixed width clamped to its maximum", 400, {}, {clampedFixed, Fixed(0)}, {120, 280}},
      {"invisible children take no space", 300, {}, {Fixed(0), hidden, Fixed(0)}, {150, 0, 150}},
      {"paddings count as fixed", 130, {}, {padded, Fixed(0)}, {50, 50}},
  };
  for (const RowCase& c : cases) {
    auto rs = LayoutHorizontal({0, 0, c.width, 30}, c.params, c.items);
    EXPECT_EQ(Widths(rs), c.widths) << c.what;
  }
}

TEST(BoxLayout, HorizontalPlacementAdvancesByPaddingAndGap) {
  LayoutItem a = Fixed(20, 10);
  a.padding = {5, 2, 3, 0};
  BoxParams p;
  p.childPadding = 4;
  auto rs = LayoutHorizontal({100, 50, 300, 90}, p, {a, Fixed(30), Fixed(0)});
  EXPECT_EQ(rs[0], (Rect{105, 52, 125, 62}));
  EXPECT_EQ(rs[1], (Rect{132, 50, 162, 90}));
  EXPECT_EQ(rs[2], (Rect{166, 50, 300, 90}));
}

TEST(BoxLayout, ChildVAlignPlacesAcrossTheRow) {
  BoxParams p;
  p.childVAlign = Align::Center;
  EXPECT_EQ(LayoutHorizontal({0, 0, 100, 40}, p, {Fixed(10, 10)})[0], (Rect{0, 15, 10, 25}));
  p.childVAlign = Align::End;
  EXPECT_EQ(LayoutHorizontal({0, 0, 100, 40}, p, {Fixed(10, 10)})[0], (Rect{0, 30, 10, 40}));
  LayoutItem tall = Fixed(10, 0);
  tall.maxSize.cy = 20;
  p.childVAlign = Align::Start;
  EXPECT_EQ(LayoutHorizontal({0, 0, 100, 40}, p, {tall})[0], (Rect{0, 0, 10, 20}));
}

TEST(BoxLayout, VerticalIsTheSameRuleOnTheOtherAxis) {
  BoxParams p;
  p.childAlign = Align::Center;
  p.inset = {0, 10, 0, 0};
  auto rs = LayoutVertical({0, 0, 100, 490}, p, {Fixed(0, 0), Fixed(40, 207), Fixed(0, 0)});
  EXPECT_EQ(rs[0], (Rect{0, 10, 100, 146}));
  EXPECT_EQ(rs[1], (Rect{30, 146, 70, 353}));
  EXPECT_EQ(rs[2], (Rect{0, 353, 100, 490}));
}

TEST(BoxLayout, MainAxisAlignmentOnlyWithoutStretchables) {
  BoxParams p;
  p.childAlign = Align::Center;
  EXPECT_EQ(LayoutHorizontal({0, 0, 100, 10}, p, {Fixed(20), Fixed(20)})[0].left, 30);
  p.childAlign = Align::End;
  EXPECT_EQ(LayoutHorizontal({0, 0, 100, 10}, p, {Fixed(20), Fixed(20)})[0].left, 60);
  EXPECT_EQ(LayoutHorizontal({0, 0, 100, 10}, p, {Fixed(20), Fixed(0)})[0].left, 0);
}

TEST(BoxLayout, FloatingChildrenArePlacedByPosAndTakeNoSpace) {
  LayoutItem f;
  f.floating = true;
  f.pos = {10, 5, 30, 25};
  LayoutItem sized;
  sized.floating = true;
  sized.pos = {4, 4, 0, 0};
  sized.fixed = {8, 6};
  auto rs = LayoutVertical({100, 200, 200, 300}, {}, {f, Fixed(0), sized});
  EXPECT_EQ(rs[0], (Rect{110, 205, 130, 225}));
  EXPECT_EQ(rs[1], (Rect{100, 200, 200, 300}));
  EXPECT_EQ(rs[2], (Rect{104, 204, 112, 210}));
}

TEST(TabLayout, EveryChildGetsTheWholeRectangle) {
  LayoutItem hidden;
  hidden.visible = false;
  LayoutItem padded;
  padded.padding = {1, 2, 3, 4};
  auto rs = LayoutTab({0, 0, 100, 50}, {5, 5, 5, 5}, {LayoutItem{}, hidden, padded, Fixed(10, 0)});
  EXPECT_EQ(rs[0], (Rect{5, 5, 95, 45}));
  EXPECT_EQ(rs[1], (Rect{5, 5, 95, 45}));
  EXPECT_EQ(rs[2], (Rect{6, 7, 92, 41}));
  EXPECT_EQ(rs[3], (Rect{5, 5, 15, 45}));
}

}  // namespace
}  // namespace SkinUI
