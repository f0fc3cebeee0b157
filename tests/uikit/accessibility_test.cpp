// The accessibility model over real markup in a real paint manager: what a
// reader is told of each control, that its default action is a click's,
// and which changes it hears.
#include "uikit/accessibility.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "notify_log.h"
#include "uikit/button.h"
#include "uikit/combo.h"
#include "uikit/container.h"
#include "uikit/dialog_builder.h"
#include "uikit/paint_manager.h"
#include "uikit/progress.h"
#include "uikit/text_table.h"

namespace SkinUI {
namespace {

const char kMarkup[] = R"(<Window size="400,300"><VerticalLayout>
  <HorizontalLayout height="30">
    <Label name="title" text="Setup %{900}" />
    <Button name="minbtn" width="30" tooltip="%{901}" normalimage="min.png" />
    <Button name="closebtn" width="30" normalimage="close.png" />
  </HorizontalLayout>
  <TabLayout name="pages" selectedid="0">
    <VerticalLayout>
      <Label height="20" bkimage="logo.png" />
      <Control height="10" />
      <Label height="20" />
      <Button name="go" height="30" text="Install" />
      <Button name="off" height="30" text="Later" enabled="false" />
      <HorizontalLayout height="20">
        <CheckBox name="agree" width="20" selected="true" tooltip="%{902}" />
        <Edit name="folder" tooltip="%{903}" text="C:\Apps" />
        <Edit name="secret" width="40" password="true" text="hunter2" />
      </HorizontalLayout>
      <Combo name="lang" height="24" tooltip="Language">
        <ListLabelElement text="English" /><ListLabelElement text="%{904}" selected="true" />
      </Combo>
    </VerticalLayout>
    <VerticalLayout>
      <Label name="status" height="20" text="Installing" />
      <Progress name="bar" height="8" min="0" max="3" value="2" />
    </VerticalLayout>
  </TabLayout>
</VerticalLayout></Window>)";

class Model : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearLocalTexts();
    AddLocalText(900, "Quillon");
    AddLocalText(901, "Minimize");
    AddLocalText(902, "I agree");
    AddLocalText(903, "Install to");
    AddLocalText(904, "简体中文");
    AddLocalText(118, "Close");
    CDialogBuilder b;
    auto root = b.CreateFromString(kMarkup, nullptr, &pm_);
    ASSERT_NE(root, nullptr) << b.GetLastError();
    pm_.AttachRoot(std::move(root));
    pm_.SetClientSize(Size{400, 300});
    pm_.LayoutIfNeeded();
    pm_.AddNotifier(&log_);
  }
  void TearDown() override { ClearLocalTexts(); }

  Control* Find(const char* name) { return pm_.FindControl(name); }
  const AccessibleNode& Node(const AccessibleTree& t, const char* name) {
    const int i = t.Find(AccessibleKey{Find(name), 0});
    EXPECT_GE(i, 0) << name;
    return t.nodes[i < 0 ? 0 : i];
  }
  void ShowPage(int page) {
    static_cast<TabLayout*>(Find("pages"))->SelectItem(page);
    pm_.LayoutIfNeeded();
  }

  CPaintManagerUI pm_;
  NotifyLog log_;
};

TEST_F(Model, TheShownControlsInFocusOrderWithTheirRolesAndNames) {
  const AccessibleTree t = BuildAccessibleTree(pm_);
  std::vector<std::pair<AccessibleRole, std::string>> top;
  for (int i : t.top) top.emplace_back(t.nodes[i].role, t.nodes[i].name);
  using R = AccessibleRole;
  // Spacers, a label without words or picture and the hidden page are not
  // there; the image-only buttons are named by tooltip, else by the
  // title-button table; a field by its tooltip, never its text.
  const std::vector<std::pair<AccessibleRole, std::string>> expected = {
      {R::kStaticText, "Setup Quillon"}, {R::kPushButton, "Minimize"}, {R::kPushButton, "Close"},
      {R::kGraphic, ""},                 {R::kPushButton, "Install"},  {R::kPushButton, "Later"},
      {R::kCheckBox, "I agree"},         {R::kEditableText, "Install to"}, {R::kEditableText, ""},
      {R::kComboBox, "Language"},
  };
  EXPECT_EQ(top, expected);

  // The focusable ones come exactly as Tab reaches them.
  std::vector<const Control*> focusable;
  for (int i : t.top)
    if (t.nodes[i].state & kAccFocusable) focusable.push_back(t.nodes[i].key.control);
  const std::vector<Control*> order = pm_.FocusOrder();
  EXPECT_EQ(focusable, std::vector<const Control*>(order.begin(), order.end()));

  // The drop-down holds its list, the list its items.
  const AccessibleNode& combo = Node(t, "lang");
  ASSERT_EQ(combo.children.size(), 1u);
  const AccessibleNode& list = t.nodes[combo.children[0]];
  EXPECT_EQ(list.role, R::kList);
  ASSERT_EQ(list.children.size(), 2u);
  EXPECT_EQ(t.nodes[list.children[1]].role, R::kListItem);
  EXPECT_EQ(t.nodes[list.children[1]].name, "简体中文");
  EXPECT_EQ(t.nodes[list.children[1]].parent, combo.children[0]);

  EXPECT_EQ(Node(t, "go").location, Find("go")->GetPos());
}

TEST_F(Model, StatesValuesAndActions) {
  pm_.SetFocus(Find("go"));
  AccessibleTree t = BuildAccessibleTree(pm_);
  EXPECT_EQ(Node(t, "go").state, kAccFocused | kAccFocusable);
  EXPECT_EQ(Node(t, "off").state, static_cast<unsigned>(kAccUnavailable));
  EXPECT_EQ(Node(t, "off").action, AccessibleAction::kNone);
  EXPECT_EQ(Node(t, "go").action, AccessibleAction::kPress);
  EXPECT_EQ(Node(t, "agree").state, kAccFocusable | kAccChecked);
  EXPECT_EQ(Node(t, "agree").action, AccessibleAction::kUncheck);
  EXPECT_EQ(Node(t, "folder").value, "C:\\Apps");
  EXPECT_EQ(Node(t, "secret").value, "");
  EXPECT_TRUE(Node(t, "secret").state & kAccProtected);

  const AccessibleNode& combo = Node(t, "lang");
  EXPECT_EQ(combo.value, "简体中文");
  EXPECT_TRUE(combo.state & kAccCollapsed);
  EXPECT_EQ(combo.action, AccessibleAction::kOpen);
  const AccessibleNode& list = t.nodes[combo.children[0]];
  EXPECT_TRUE(list.state & kAccInvisible);
  EXPECT_EQ(t.nodes[list.children[1]].state, kAccSelectable | kAccSelected | kAccInvisible);

  static_cast<Combo*>(Find("lang"))->SetDropped(true);
  t = BuildAccessibleTree(pm_);
  const AccessibleNode& open = Node(t, "lang");
  EXPECT_TRUE(open.state & kAccExpanded);
  EXPECT_EQ(open.action, AccessibleAction::kClose);
  const AccessibleNode& shownList = t.nodes[open.children[0]];
  EXPECT_FALSE(shownList.state & kAccInvisible);
  EXPECT_EQ(shownList.location.top, open.location.bottom);  // hangs below the box
  EXPECT_FALSE(t.nodes[shownList.children[0]].location.IsEmpty());

  ShowPage(1);
  t = BuildAccessibleTree(pm_);
  EXPECT_EQ(t.Find(AccessibleKey{Find("go"), 0}), -1);
  const AccessibleNode& bar = Node(t, "bar");
  EXPECT_EQ(bar.role, AccessibleRole::kProgressBar);
  EXPECT_EQ(bar.percent, 66);  // 2 of 3, whole percent rounded down
  EXPECT_EQ(bar.value, "66%");
}

TEST(ProgressPercent, WholeNumbersWithoutOverflowOrDivisionByZero) {
  EXPECT_EQ(ProgressPercent(0, 100, 42), 42);
  EXPECT_EQ(ProgressPercent(0, 3, 1), 33);
  EXPECT_EQ(ProgressPercent(10, 20, 15), 50);
  EXPECT_EQ(ProgressPercent(0, 100, 150), 100);
  EXPECT_EQ(ProgressPercent(0, 100, -5), 0);
  EXPECT_EQ(ProgressPercent(5, 5, 5), 0);
  EXPECT_EQ(ProgressPercent(0, 2000000000, 1999999999), 99);
  EXPECT_EQ(ProgressPercent(-2000000000, 2000000000, 0), 50);
}

TEST_F(Model, TheDefaultActionIsWhatAClickDoes) {
  auto key = [&](const char* name, int part = 0) { return AccessibleKey{Find(name), part}; };
  // A press: the focus moves to the button, then "click".
  EXPECT_TRUE(PerformAccessibleAction(pm_, key("go")));
  EXPECT_EQ(pm_.GetFocus(), Find("go"));
  ASSERT_FALSE(log_.messages.empty());
  EXPECT_EQ(log_.Types().back(), "click:go");

  // A check box toggles, as a click toggles it.
  log_.Clear();
  EXPECT_TRUE(PerformAccessibleAction(pm_, key("agree")));
  EXPECT_FALSE(static_cast<CheckBox*>(Find("agree"))->GetCheck());
  EXPECT_EQ(BuildAccessibleTree(pm_).nodes[BuildAccessibleTree(pm_).Find(key("agree"))].action,
            AccessibleAction::kCheck);

  // The drop-down opens and closes; an item is chosen and the list closes.
  auto* combo = static_cast<Combo*>(Find("lang"));
  EXPECT_TRUE(PerformAccessibleAction(pm_, key("lang")));
  EXPECT_TRUE(combo->IsDropped());
  EXPECT_EQ(pm_.GetFocus(), combo);
  log_.Clear();
  EXPECT_TRUE(PerformAccessibleAction(pm_, key("lang", 2)));
  EXPECT_FALSE(combo->IsDropped());
  EXPECT_EQ(combo->GetCurSel(), 0);
  ASSERT_FALSE(log_.messages.empty());
  EXPECT_EQ(log_.Types().back(), "itemselect:lang");

  // Nothing for what is disabled, has no action, or is no longer shown.
  log_.Clear();
  EXPECT_FALSE(PerformAccessibleAction(pm_, key("off")));
  EXPECT_FALSE(PerformAccessibleAction(pm_, key("folder")));
  ShowPage(1);
  log_.Clear();
  EXPECT_FALSE(PerformAccessibleAction(pm_, key("go")));
  EXPECT_TRUE(log_.messages.empty());
  Control* gone = Find("status");
  static_cast<Container*>(gone->GetParent())->Remove(gone);
  EXPECT_FALSE(PerformAccessibleAction(pm_, AccessibleKey{gone, 0}));
}

TEST_F(Model, TheReaderHearsFocusPagesAndProgressAtMostFourTimesASecond) {
  using E = AccessibleEvent;
  AccessibleChangeTracker tracker;
  EXPECT_TRUE(tracker.Update(BuildAccessibleTree(pm_), 0).empty());  // the first look tells nothing

  // The focus: one event naming the child's position (Install is the 5th).
  pm_.SetFocus(Find("go"));
  EXPECT_EQ(tracker.Update(BuildAccessibleTree(pm_), 10), (std::vector<E>{{E::kFocus, 5}}));
  EXPECT_TRUE(tracker.Update(BuildAccessibleTree(pm_), 20).empty());
  static_cast<CheckBox*>(Find("agree"))->SetCheck(false);
  EXPECT_EQ(tracker.Update(BuildAccessibleTree(pm_), 30), (std::vector<E>{{E::kStateChange, 7}}));

  // Another page: one reorder; the focus lost with the page is no event.
  ShowPage(1);
  EXPECT_EQ(tracker.Update(BuildAccessibleTree(pm_), 40), (std::vector<E>{{E::kReorder, 0}}));

  // Progress: the first change at once, the next ones no sooner than
  // 250 ms after it, the latest then.
  auto* bar = static_cast<Progress*>(Find("bar"));
  const int barChild = 5;  // title, two buttons, status text, bar
  bar->SetValue(3);
  Find("status")->SetText("Installing 100%");
  EXPECT_EQ(tracker.Update(BuildAccessibleTree(pm_), 1000),
            (std::vector<E>{{E::kNameChange, barChild - 1}, {E::kValueChange, barChild}}));
  bar->SetValue(1);
  EXPECT_TRUE(tracker.Update(BuildAccessibleTree(pm_), 1100).empty());
  bar->SetValue(0);
  EXPECT_TRUE(tracker.Update(BuildAccessibleTree(pm_), 1249).empty());
  EXPECT_EQ(tracker.Update(BuildAccessibleTree(pm_), 1250), (std::vector<E>{{E::kValueChange, barChild}}));
  EXPECT_TRUE(tracker.Update(BuildAccessibleTree(pm_), 2000).empty());  // told already
  // After a quiet spell a change is told at once.
  bar->SetValue(2);
  EXPECT_EQ(tracker.Update(BuildAccessibleTree(pm_), 2100), (std::vector<E>{{E::kValueChange, barChild}}));
}

}  // namespace
}  // namespace SkinUI
