#include <gtest/gtest.h>

#include "uikit/button.h"
#include "uikit/combo.h"
#include "uikit/container.h"
#include "uikit/control_registry.h"
#include "uikit/edit.h"
#include "uikit/label.h"
#include "uikit/paint_manager.h"
#include "uikit/progress.h"
#include "notify_log.h"

namespace SkinUI {
namespace {

TEST(Attributes, UnknownNamesAreStoredFirstValueWins) {
  Label l;
  l.SetAttribute("isstretchfore", "false");
  l.SetAttribute("isstretchfore", "true");
  l.SetAttribute("hotborercolor", "#FF00FF00");
  l.SetAttribute("", "x");
  l.SetAttribute("emptyvalue", "");
  ASSERT_NE(l.GetCustomAttribute("isstretchfore"), nullptr);
  EXPECT_EQ(*l.GetCustomAttribute("isstretchfore"), "false");
  EXPECT_EQ(*l.GetCustomAttribute("hotborercolor"), "#FF00FF00");
  EXPECT_EQ(l.GetCustomAttribute("emptyvalue"), nullptr);
  EXPECT_EQ(l.CustomAttributes().size(), 2u);
  // A known name never lands there, and the most derived setter applies.
  l.SetAttribute("textcolor", "#FF112233");
  EXPECT_EQ(l.GetCustomAttribute("textcolor"), nullptr);
  EXPECT_EQ(l.GetTextColor(), 0xFF112233u);
}

TEST(Attributes, AttributesOfADerivedClassAreNotKnownToItsBase) {
  Control c;
  c.SetAttribute("textcolor", "#FF112233");
  ASSERT_NE(c.GetCustomAttribute("textcolor"), nullptr);
  Button b;
  b.SetAttribute("width", "40");
  b.SetAttribute("font", "2");
  EXPECT_EQ(b.GetFixedWidth(), 40);
  EXPECT_EQ(b.GetFont(), 2);
}

TEST(Attributes, AlignAndVAlignMatchBySubstring) {
  const unsigned kDefault = kTextSingleLine | kTextVCenter;
  struct Case {
    const char* attr;
    const char* value;
    unsigned style;
  } cases[] = {
      {"valign", "center", kDefault},
      {"valign", "top", kTextSingleLine},
      {"valign", "bottom", kTextSingleLine | kTextBottom},
      {"valign", "vcenter", kDefault},
      {"valign", "middle", kDefault},
      {"align", "center", kDefault | kTextCenter},
      {"align", "right", kDefault | kTextRight},
      {"align", "left", kDefault},
      {"align", "middle", kDefault},
  };
  for (const Case& c : cases) {
    Label l;
    l.SetAttribute(c.attr, c.value);
    EXPECT_EQ(l.GetTextStyle(), c.style) << c.attr << "=" << c.value;
  }
  Label l;
  l.SetAttribute("align", "center");
  l.SetAttribute("align", "left");
  EXPECT_EQ(l.GetTextStyle(), kDefault);
  l.SetAttribute("multiline", "true");
  EXPECT_EQ(l.GetTextStyle(), kTextVCenter | kTextWordBreak);
}

TEST(Attributes, PosGivesTheSizeAndBadValuesChangeNothing) {
  Control c;
  c.SetAttribute("pos", "10,20,110,50");
  EXPECT_EQ(c.GetFixedWidth(), 100);
  EXPECT_EQ(c.GetFixedHeight(), 30);
  c.SetAttribute("width", "abc");
  EXPECT_EQ(c.GetFixedWidth(), 0);  // "0 or absent means stretch"
  c.SetAttribute("bkcolor", "#FF0000FF");
  c.SetAttribute("bkcolor", "blue");
  EXPECT_EQ(c.GetBkColor(), 0xFF0000FFu);
  c.SetAttribute("visible", "False");
  EXPECT_FALSE(c.IsVisible());
}

TEST(ControlRegistry, EveryMarkupClassCreatesAControl) {
  const char* names[] = {"Control", "Container", "VerticalLayout", "HorizontalLayout", "TabLayout", "TileLayout",
                         "ChildLayout", "Label", "Text", "Button", "Option", "CheckBox", "Edit", "RichEdit", "Combo",
                         "Progress", "Slider", "ScrollBar", "List", "ListLabelElement", "TreeView", "TreeNode",
                         "GifAnim", "DateTime", "ActiveX", "WebBrowser", "checkbox"};
  for (const char* n : names) {
    std::unique_ptr<Control> c(ControlRegistry::Instance().Create(n));
    EXPECT_NE(c, nullptr) << n;
  }
  EXPECT_EQ(ControlRegistry::Instance().Create("SequenceLabel"), nullptr);
  std::unique_ptr<Control> rich(ControlRegistry::Instance().Create("RichEdit"));
  EXPECT_EQ(rich->GetClass(), "Edit");
  EXPECT_FALSE(ControlRegistry::Instance().Register("Button", [] { return new Control; }));
}

TEST(Controls, InterfacesFollowTheClassChain) {
  CheckBox cb;
  EXPECT_EQ(cb.GetInterface("CheckBox"), &cb);
  EXPECT_EQ(cb.GetInterface("Option"), &cb);
  EXPECT_EQ(cb.GetInterface("Button"), &cb);
  EXPECT_EQ(cb.GetInterface("Label"), &cb);
  EXPECT_EQ(cb.GetInterface("Control"), &cb);
  EXPECT_EQ(cb.GetInterface("Container"), nullptr);
  TabLayout t;
  EXPECT_EQ(t.GetInterface("Container"), &t);
}

TEST(Controls, FindControlTakesTheFirstInTreeOrder) {
  auto* root = new VerticalLayout;
  auto* inner = new HorizontalLayout;
  auto* a = new Label;
  a->SetName("dup");
  auto* b = new Label;
  b->SetName("dup");
  inner->Add(a);
  root->Add(inner);
  root->Add(b);
  std::unique_ptr<Control> owner(root);
  EXPECT_EQ(root->FindControl("dup"), a);
  EXPECT_EQ(root->FindControl("missing"), nullptr);
}

class ManagedTest : public ::testing::Test {
 protected:
  template <class T>
  T* Attach(T* root, Size size = {200, 100}) {
    pm_.AddNotifier(&log_);
    pm_.SetClientSize(size);
    pm_.AttachRoot(std::unique_ptr<Control>(root));
    return root;
  }
  CPaintManagerUI pm_;
  NotifyLog log_;
};

TEST_F(ManagedTest, CheckBoxTogglesOnClickAndRaisesOnEveryChange) {
  auto* root = Attach(new VerticalLayout);
  auto* cb = new CheckBox;
  cb->SetName("cb");
  root->Add(cb);
  cb->Activate();
  EXPECT_TRUE(cb->IsSelected());
  EXPECT_EQ(log_.Types(), (std::vector<std::string>{"click:cb", "selectchanged:cb"}));
  log_.Clear();
  cb->Selected(true);  // same state: nothing
  EXPECT_TRUE(log_.Types().empty());
  cb->Selected(false);  // a change made by the window raises as well
  EXPECT_EQ(log_.Types(), (std::vector<std::string>{"selectchanged:cb"}));
  cb->Activate();
  cb->Activate();
  EXPECT_FALSE(cb->IsSelected());
}

TEST_F(ManagedTest, GroupedOptionsSelectOneAtATime) {
  auto* root = Attach(new HorizontalLayout);
  auto* a = new Option;
  auto* b = new Option;
  a->SetAttribute("group", "g");
  b->SetAttribute("group", "g");
  root->Add(a);
  root->Add(b);
  a->Activate();
  b->Activate();
  EXPECT_FALSE(a->IsSelected());
  EXPECT_TRUE(b->IsSelected());
  b->Activate();  // a grouped option stays selected
  EXPECT_TRUE(b->IsSelected());
}

TEST_F(ManagedTest, TabSelectionRules) {
  auto* tab = Attach(new TabLayout);
  tab->SetName("tab");
  for (int i = 0; i < 3; ++i) tab->Add(new Control);
  EXPECT_TRUE(tab->GetItemAt(0)->IsVisible());
  EXPECT_FALSE(tab->GetItemAt(1)->IsVisible());
  EXPECT_TRUE(tab->SelectItem(0));
  EXPECT_FALSE(tab->SelectItem(3));
  EXPECT_FALSE(tab->SelectItem(-1));
  EXPECT_TRUE(log_.Types().empty());
  EXPECT_TRUE(tab->SelectItem(2));
  ASSERT_EQ(log_.messages.size(), 1u);
  EXPECT_EQ(log_.messages[0].type, "tabselect");
  EXPECT_EQ(log_.messages[0].wParam, 2u);
  EXPECT_EQ(log_.messages[0].lParam, 0);
  EXPECT_FALSE(tab->GetItemAt(0)->IsVisible());
  EXPECT_TRUE(tab->GetItemAt(2)->IsVisible());
  EXPECT_EQ(tab->GetCurSel(), 2);
}

TEST(TabLayout, SelectedIdChoosesTheChildShownFirst) {
  TabLayout tab;
  tab.SetAttribute("selectedid", "1");
  tab.Add(new Control);
  tab.Add(new Control);
  EXPECT_FALSE(tab.GetItemAt(0)->IsVisible());
  EXPECT_TRUE(tab.GetItemAt(1)->IsVisible());
}

TEST(Progress, ValueIsClampedIntoTheRange) {
  Progress p;
  p.SetValue(150);
  EXPECT_EQ(p.GetValue(), 100);
  p.SetValue(-5);
  EXPECT_EQ(p.GetValue(), 0);
  p.SetAttribute("min", "10");
  p.SetAttribute("max", "20");
  p.SetAttribute("value", "15");
  EXPECT_EQ(p.GetValue(), 15);
  p.SetAttribute("max", "5");  // upside down: the value clamps to min
  p.SetValue(7);
  EXPECT_EQ(p.GetValue(), 10);
}

TEST(Progress, FillRectTable) {
  const Rect bar{100, 10, 300, 20};  // 200 wide, 10 high
  struct Case {
    int min, max, value;
    bool hor;
    Rect want;
  } cases[] = {
      {0, 100, 35, true, {100, 10, 170, 20}},
      {0, 100, 0, true, {100, 10, 100, 20}},
      {0, 100, 100, true, {100, 10, 300, 20}},
      {0, 3, 1, true, {100, 10, 166, 20}},     // 200 * 1 / 3, whole pixels
      {50, 50, 50, true, {100, 10, 100, 20}},  // max not above min: min + 1
      {50, 10, 51, true, {100, 10, 300, 20}},
      {0, 100, 35, false, {100, 17, 300, 20}}, // vertical fills from the bottom (3 of 10 rows)
      {0, 2000000000, 1999999999, true, {100, 10, 299, 20}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(Progress::FillRect(bar, c.min, c.max, c.value, c.hor), c.want) << c.min << " " << c.max << " " << c.value;
}

// A fore image of two halves, left red and right blue, over a bar filled
// to half: stretched, both halves squeeze into the fill; not stretched, the
// fill shows the image's left half where it lies on the whole bar.
TEST(Progress, TheForeImageIsStretchedOverTheFillOrShownWhereItLiesOnTheBar) {
  Bitmap halves;
  halves.width = 20;
  halves.height = 2;
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 20; ++x) halves.pixels.push_back(x < 10 ? 0xFFFF0000u : 0xFF0000FFu);
  for (const bool stretch : {true, false}) {
    CPaintManagerUI pm;
    pm.SetImageLoader([](const std::string&, std::string*) { return false; });
    pm.Images().Put("fore.png", halves);
    auto* bar = new Progress;
    bar->SetAttribute("foreimage", "fore.png");
    bar->SetAttribute("isstretchfore", stretch ? "true" : "false");
    bar->SetAttribute("value", "50");
    EXPECT_EQ(bar->IsStretchFore(), stretch);
    pm.AttachRoot(std::unique_ptr<Control>(bar));
    pm.SetClientSize({200, 10});
    Bitmap out;
    out.width = 200;
    out.height = 10;
    out.pixels.assign(2000, 0);
    Surface surface(out);
    pm.PaintAll(surface);
    EXPECT_EQ(out.At(20, 5), 0xFFFF0000u) << stretch;
    EXPECT_EQ(out.At(90, 5), stretch ? 0xFF0000FFu : 0xFFFF0000u) << stretch;
    EXPECT_EQ(out.At(150, 5), 0u) << stretch;  // past the fill
  }
}

TEST_F(ManagedTest, ComboSelectsItemsAndRaisesItemSelect) {
  auto* root = Attach(new VerticalLayout);
  auto* combo = new Combo;
  combo->SetName("lang");
  combo->SetFixedHeight(30);
  for (const char* t : {"English", "简体中文", "繁體中文"}) {
    auto* item = new Label;
    item->SetText(t);
    combo->Add(item);
  }
  root->Add(combo);
  root->Add(new Control);
  pm_.LayoutIfNeeded();
  EXPECT_EQ(combo->GetCurSel(), 0);
  EXPECT_FALSE(combo->SelectItem(3));
  EXPECT_TRUE(combo->SelectItem(0));
  EXPECT_TRUE(log_.Types().empty());
  // Open by a press, choose the third item in the list below the box.
  pm_.MouseDown({10, 10});
  pm_.MouseUp({10, 10});
  ASSERT_TRUE(combo->IsDropped());
  // Without a window of its own the list hangs inside the window.
  const Rect list = pm_.InWindowPopupRect();
  ASSERT_EQ(list.top, combo->GetPos().bottom);
  const Rect third = combo->ItemRect(2).Offset(list.left, list.top);
  pm_.MouseDown({third.left + 5, third.top + 5});
  pm_.MouseUp({third.left + 5, third.top + 5});
  EXPECT_FALSE(combo->IsDropped());
  EXPECT_EQ(combo->GetCurSel(), 2);
  ASSERT_FALSE(log_.messages.empty());
  EXPECT_EQ(log_.messages.back().type, "itemselect");
  EXPECT_EQ(log_.messages.back().wParam, 2u);
  EXPECT_EQ(log_.messages.back().lParam, 0);
}

TEST_F(ManagedTest, EditTakesTypedTextWithinItsLimit) {
  auto* edit = Attach(new Edit);
  edit->SetMaxChar(3);
  pm_.SetFocus(edit);
  for (char32_t ch : {U'a', U'中', U'b', U'c'}) pm_.Char(ch);
  EXPECT_EQ(edit->GetText(), "a中b");
  // BackSpace is a key; the character Windows also sends for it is not text.
  pm_.Char(8);
  EXPECT_EQ(edit->GetText(), "a中b");
  pm_.KeyDown(kKeyBack);
  pm_.KeyDown(kKeyBack);
  EXPECT_EQ(edit->GetText(), "a");
  edit->SetReadOnly(true);
  pm_.Char(U'x');
  EXPECT_EQ(edit->GetText(), "a");
}

}  // namespace
}  // namespace SkinUI
