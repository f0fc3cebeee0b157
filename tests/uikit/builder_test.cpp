#include "uikit/dialog_builder.h"

#include <gtest/gtest.h>

#include "uikit/button.h"
#include "uikit/combo.h"
#include "uikit/container.h"
#include "uikit/label.h"
#include "uikit/paint_manager.h"

namespace SkinUI {
namespace {

class SequenceStandIn : public Label {
 public:
  std::string GetClass() const override { return "SequenceLabel"; }
};

struct Callback : IDialogBuilderCallback {
  std::vector<std::string> asked;
  Control* CreateControl(const std::string& name) override {
    asked.push_back(name);
    return name == "SequenceLabel" ? new SequenceStandIn : nullptr;
  }
};

TEST(DialogBuilder, WindowAttributesAreParsedOrStoredByName) {
  CPaintManagerUI pm;
  CDialogBuilder b;
  auto root = b.CreateFromString(
      R"(<?xml version="1.0" encoding="utf-8"?>
<Window size="600,400" caption="0,0,0,35" roundcorner="5,5" sizebox="4,4,4,4" mininfo="300,200"
        maxinfo="800,600" showshadow="true" shadowsize="6" shadowsize="9" shadowposition="1,1" bogus="">
  <VerticalLayout name="root"/>
</Window>)",
      nullptr, &pm);
  ASSERT_NE(root, nullptr) << b.GetLastError();
  const WindowAttributes& w = pm.Window();
  EXPECT_EQ(w.size.cx, 600);
  EXPECT_EQ(w.size.cy, 400);
  EXPECT_EQ(w.caption, (Rect{0, 0, 0, 35}));
  EXPECT_EQ(w.roundCorner.cx, 5);
  EXPECT_EQ(w.sizebox, (Rect{4, 4, 4, 4}));
  EXPECT_EQ(w.minInfo.cx, 300);
  EXPECT_EQ(w.maxInfo.cy, 600);
  ASSERT_NE(w.Get("showshadow"), nullptr);
  EXPECT_EQ(*w.Get("showshadow"), "true");
  EXPECT_EQ(*w.Get("shadowsize"), "6");
  EXPECT_EQ(*w.Get("shadowposition"), "1,1");
  EXPECT_EQ(w.Get("bogus"), nullptr);
  EXPECT_EQ(*w.Get("caption"), "0,0,0,35");
  EXPECT_EQ(root->GetName(), "root");
}

TEST(DialogBuilder, FontsAndDefaults) {
  CPaintManagerUI pm;
  CDialogBuilder b;
  auto root = b.CreateFromString(
      R"(<Window>
  <Font id="0" name="微软雅黑" size="12"/>
  <Font id="1" name="微软雅黑" size="18" bold="true" default="true"/>
  <Font id="2" name="Other" size="14" underline="true" italic="TRUE"/>
  <Default name="Button" value="width=&quot;33&quot; textcolor=&quot;#FF0000FF&quot;"/>
  <HorizontalLayout>
    <Button name="a"/>
    <Button name="b" width="50"/>
  </HorizontalLayout>
</Window>)",
      nullptr, &pm);
  ASSERT_NE(root, nullptr) << b.GetLastError();
  EXPECT_EQ(pm.Fonts().Default().size, 18);
  EXPECT_TRUE(pm.Fonts().Get(-1).bold);
  EXPECT_EQ(pm.Fonts().Get(0).face, "微软雅黑");
  EXPECT_TRUE(pm.Fonts().Get(2).underline);
  EXPECT_FALSE(pm.Fonts().Get(2).italic);  // only the exact text "true"
  auto* a = static_cast<Button*>(root->FindControl("a"));
  auto* bb = static_cast<Button*>(root->FindControl("b"));
  EXPECT_EQ(a->GetFixedWidth(), 33);
  EXPECT_EQ(a->GetTextColor(), 0xFF0000FFu);
  EXPECT_EQ(bb->GetFixedWidth(), 50);  // its own attribute comes after the default
}

TEST(DialogBuilder, UnknownElementsGoToTheCallbackOrAreSkippedWithChildren) {
  CPaintManagerUI pm;
  CDialogBuilder b;
  Callback cb;
  auto root = b.CreateFromString(
      R"(<Window><VerticalLayout>
  <SequenceLabel name="spin" sequencecount="60"/>
  <Mystery name="m"><Button name="inside"/></Mystery>
  <Label name="after"/>
</VerticalLayout></Window>)",
      &cb, &pm);
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(cb.asked, (std::vector<std::string>{"SequenceLabel", "Mystery"}));
  Control* spin = root->FindControl("spin");
  ASSERT_NE(spin, nullptr);
  EXPECT_EQ(spin->GetClass(), "SequenceLabel");
  EXPECT_EQ(*spin->GetCustomAttribute("sequencecount"), "60");
  EXPECT_EQ(root->FindControl("m"), nullptr);
  EXPECT_EQ(root->FindControl("inside"), nullptr);
  EXPECT_NE(root->FindControl("after"), nullptr);
  EXPECT_EQ(static_cast<Container*>(root.get())->GetCount(), 2);
}

TEST(DialogBuilder, TabAndComboContentFromMarkup) {
  CPaintManagerUI pm;
  CDialogBuilder b;
  auto root = b.CreateFromString(
      R"(<Window><VerticalLayout>
  <TabLayout name="tab" selectedid="2"><Control/><Control/><Control name="third"/></TabLayout>
  <Combo name="lang"><ListLabelElement text="English"/><ListLabelElement text="简体中文" selected="true"/></Combo>
</VerticalLayout></Window>)",
      nullptr, &pm);
  ASSERT_NE(root, nullptr);
  auto* tab = static_cast<TabLayout*>(root->FindControl("tab"));
  EXPECT_EQ(tab->GetCurSel(), 2);
  EXPECT_TRUE(root->FindControl("third")->IsVisible());
  EXPECT_FALSE(tab->GetItemAt(0)->IsVisible());
  auto* combo = static_cast<Combo*>(root->FindControl("lang"));
  EXPECT_EQ(combo->GetCount(), 2);
  EXPECT_EQ(combo->GetCurSel(), 1);
}

TEST(DialogBuilder, FailuresCarryTheReadersText) {
  CPaintManagerUI pm;
  CDialogBuilder b;
  EXPECT_EQ(b.CreateFromString("<Window><VerticalLayout></Window>", nullptr, &pm), nullptr);
  EXPECT_FALSE(b.GetLastError().empty());
  EXPECT_EQ(b.CreateFromString("", nullptr, &pm), nullptr);
  EXPECT_FALSE(b.GetLastError().empty());
  EXPECT_EQ(b.CreateFromString("<Window><Font id=\"1\"/></Window>", nullptr, &pm), nullptr);
  EXPECT_EQ(b.GetLastError(), "Expected start tag");
  EXPECT_NE(b.CreateFromString("<HorizontalLayout name=\"bare\"/>", nullptr, &pm), nullptr);
  EXPECT_TRUE(b.GetLastError().empty());
}

TEST(DialogBuilder, AttributeListSyntax) {
  std::vector<std::pair<std::string, std::string>> out;
  EXPECT_TRUE(CDialogBuilder::ParseAttributeList(R"( a="1"  b='x y' c = "" )", &out));
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[1].second, "x y");
  out.clear();
  EXPECT_FALSE(CDialogBuilder::ParseAttributeList(R"(a="1" b="unterminated)", &out));
  EXPECT_EQ(out.size(), 1u);
  EXPECT_FALSE(CDialogBuilder::ParseAttributeList("novalue", &out));
}

}  // namespace
}  // namespace SkinUI
