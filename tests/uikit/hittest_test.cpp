#include "uikit/hittest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace SkinUI {
namespace {

TEST(HitTest, Table) {
  const Size client{600, 400};
  const Rect noBox{};
  const Rect box{4, 4, 4, 4};
  const Rect mainCaption{0, 0, 0, 35};
  const Rect inset{10, 0, 20, 30};
  struct Case {
    Point p;
    Rect sizebox, caption;
    bool maximised, keeps;
    HitArea want;
  } cases[] = {
      {{300, 10}, noBox, mainCaption, false, false, HitArea::Caption},
      {{300, 34}, noBox, mainCaption, false, false, HitArea::Caption},
      {{300, 35}, noBox, mainCaption, false, false, HitArea::Client},
      {{300, 10}, noBox, mainCaption, false, true, HitArea::Client},
      {{0, 0}, noBox, mainCaption, false, false, HitArea::Caption},
      {{599, 0}, noBox, mainCaption, false, false, HitArea::Caption},
      {{9, 5}, noBox, inset, false, false, HitArea::Client},
      {{10, 5}, noBox, inset, false, false, HitArea::Caption},
      {{579, 5}, noBox, inset, false, false, HitArea::Caption},
      {{580, 5}, noBox, inset, false, false, HitArea::Client},
      {{1, 1}, box, mainCaption, false, false, HitArea::TopLeft},
      {{598, 1}, box, mainCaption, false, false, HitArea::TopRight},
      {{300, 3}, box, mainCaption, false, false, HitArea::Top},
      {{300, 4}, box, mainCaption, false, false, HitArea::Caption},
      {{2, 398}, box, mainCaption, false, false, HitArea::BottomLeft},
      {{598, 398}, box, mainCaption, false, false, HitArea::BottomRight},
      {{300, 396}, box, mainCaption, false, false, HitArea::Bottom},
      {{3, 200}, box, mainCaption, false, false, HitArea::Left},
      {{596, 200}, box, mainCaption, false, false, HitArea::Right},
      {{595, 200}, box, mainCaption, false, false, HitArea::Client},
      {{1, 1}, box, mainCaption, true, false, HitArea::Caption},
      {{3, 200}, box, mainCaption, true, false, HitArea::Client},
  };
  for (const Case& c : cases) {
    HitTestInput in{c.p, client, c.sizebox, c.caption, c.maximised, c.keeps};
    EXPECT_EQ(HitTest(in), c.want) << c.p.x << "," << c.p.y;
  }
}

TEST(HitTest, OnlyClickableInterfacesKeepThePress) {
  auto chain = [](std::vector<std::string> names) {
    return [names](const std::string& n) { return std::find(names.begin(), names.end(), n) != names.end(); };
  };
  EXPECT_TRUE(KeepsClickInCaption(chain({"Button", "Label", "Control"})));
  EXPECT_TRUE(KeepsClickInCaption(chain({"CheckBox", "Option", "Button", "Label", "Control"})));
  EXPECT_TRUE(KeepsClickInCaption(chain({"Text", "Label", "Control"})));
  EXPECT_FALSE(KeepsClickInCaption(chain({"Label", "Control"})));
  EXPECT_FALSE(KeepsClickInCaption(chain({"HorizontalLayout", "Container", "Control"})));
}

}  // namespace
}  // namespace SkinUI
