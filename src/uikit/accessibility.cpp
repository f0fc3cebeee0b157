#include "uikit/accessibility.h"

#include <algorithm>

#include "uikit/button.h"
#include "uikit/combo.h"
#include "uikit/container.h"
#include "uikit/edit.h"
#include "uikit/label.h"
#include "uikit/paint_manager.h"
#include "uikit/progress.h"
#include "uikit/text_table.h"

namespace SkinUI {

const char* AccessibleActionName(AccessibleAction action) {
  switch (action) {
    case AccessibleAction::kPress: return "Press";
    case AccessibleAction::kCheck: return "Check";
    case AccessibleAction::kUncheck: return "Uncheck";
    case AccessibleAction::kOpen: return "Open";
    case AccessibleAction::kClose: return "Close";
    case AccessibleAction::kSelect: return "Select";
    case AccessibleAction::kNone: break;
  }
  return "";
}

int AccessibleTree::Find(const AccessibleKey& key) const {
  for (size_t i = 0; i < nodes.size(); ++i)
    if (nodes[i].key == key) return static_cast<int>(i);
  return -1;
}

const std::vector<int>& AccessibleTree::ChildrenOf(int index) const {
  if (index < 0 || index >= static_cast<int>(nodes.size())) return top;
  return nodes[index].children;
}

int ProgressPercent(int min, int max, int value) {
  if (max <= min) return 0;
  // 64-bit, so a bar counting bytes of a large package cannot overflow.
  const int64_t span = static_cast<int64_t>(max) - min;
  const int64_t done = std::clamp<int64_t>(static_cast<int64_t>(value) - min, 0, span);
  return static_cast<int>(done * 100 / span);
}

namespace {

std::string Words(const Control& c) {
  std::string name = ExpandTextTokens(c.GetText());
  if (name.empty()) name = ExpandTextTokens(c.GetToolTip());
  if (name.empty())
    for (const TitleButtonText& t : kTitleButtonTexts)
      if (c.GetName() == t.controlName) return LocalText(t.textId).value_or("");
  return name;
}

class Builder {
 public:
  explicit Builder(const CPaintManagerUI& pm) : pm_(pm) {}

  void Walk(Control* c) {
    if (!c->IsVisible()) return;
    if (Combo* combo = static_cast<Combo*>(c->GetInterface("Combo"))) {
      if (HasArea(*c)) AddCombo(*combo);
      return;  // its items are told as its list's
    }
    if (auto* box = static_cast<Container*>(c->GetInterface("Container"))) {
      for (int i = 0; i < box->GetCount(); ++i) Walk(box->GetItemAt(i));
      return;
    }
    if (HasArea(*c)) AddLeaf(*c);
  }

  AccessibleTree Take() { return std::move(tree_); }

 private:
  static bool HasArea(const Control& c) { return !c.GetPos().IsEmpty(); }

  int Add(AccessibleNode node, int parent) {
    node.parent = parent;
    const int index = static_cast<int>(tree_.nodes.size());
    tree_.nodes.push_back(std::move(node));
    if (parent < 0)
      tree_.top.push_back(index);
    else
      tree_.nodes[parent].children.push_back(index);
    return index;
  }

  AccessibleNode Base(const Control& c) const {
    AccessibleNode n;
    n.key = AccessibleKey{&c, 0};
    n.location = c.GetPos();
    n.name = Words(c);
    if (!c.IsEnabled()) n.state |= kAccUnavailable;
    if (c.IsFocusable() && c.IsEnabled()) n.state |= kAccFocusable;
    if (pm_.GetFocus() == &c) n.state |= kAccFocused;
    return n;
  }

  void AddLeaf(Control& c) {
    AccessibleNode n = Base(c);
    const bool enabled = c.IsEnabled();
    if (auto* edit = static_cast<Edit*>(c.GetInterface("Edit"))) {
      n.role = AccessibleRole::kEditableText;
      // The field's words are its value; only the tooltip names it.
      n.name = ExpandTextTokens(c.GetToolTip());
      if (edit->IsPassword())
        n.state |= kAccProtected;
      else
        n.value = c.GetText();
      if (edit->IsReadOnly()) n.state |= kAccReadOnly;
    } else if (auto* option = static_cast<Option*>(c.GetInterface("Option"))) {
      n.role = AccessibleRole::kCheckBox;
      if (option->IsSelected()) n.state |= kAccChecked;
      if (enabled) n.action = option->IsSelected() ? AccessibleAction::kUncheck : AccessibleAction::kCheck;
    } else if (c.GetInterface("Button")) {
      n.role = AccessibleRole::kPushButton;
      if (enabled) n.action = AccessibleAction::kPress;
    } else if (auto* bar = static_cast<Progress*>(c.GetInterface("Progress"))) {
      n.role = AccessibleRole::kProgressBar;
      n.percent = ProgressPercent(bar->GetMinValue(), bar->GetMaxValue(), bar->GetValue());
      n.value = std::to_string(n.percent) + "%";
    } else if (!n.name.empty() && c.GetInterface("Label")) {
      n.role = AccessibleRole::kStaticText;
    } else if (c.GetBkImage().IsSet()) {
      n.role = AccessibleRole::kGraphic;
    } else {
      return;  // a spacer, or a label without words or picture
    }
    Add(std::move(n), -1);
  }

  void AddCombo(Combo& combo) {
    AccessibleNode n = Base(combo);
    n.role = AccessibleRole::kComboBox;
    const int cur = combo.GetCurSel();
    if (Control* item = combo.GetItemAt(cur)) n.value = ExpandTextTokens(item->GetText());
    const bool open = combo.IsDropped();
    n.state |= open ? kAccExpanded : kAccCollapsed;
    if (combo.IsEnabled()) n.action = open ? AccessibleAction::kClose : AccessibleAction::kOpen;
    const int self = Add(std::move(n), -1);

    // The open list hangs below the box (its own window places it exactly;
    // a reader wants no more than roughly where).
    const Rect box = combo.GetPos();
    const Size drop = combo.DropSize();
    const Rect listRect{box.left, box.bottom, box.left + drop.cx, box.bottom + drop.cy};
    AccessibleNode list;
    list.key = AccessibleKey{&combo, 1};
    list.role = AccessibleRole::kList;
    list.name = tree_.nodes[self].name;
    list.state = open ? 0u : static_cast<unsigned>(kAccInvisible);
    list.location = open ? listRect : Rect{};
    const int listIndex = Add(std::move(list), self);
    for (int i = 0; i < combo.GetCount(); ++i) {
      AccessibleNode item;
      item.key = AccessibleKey{&combo, 2 + i};
      item.role = AccessibleRole::kListItem;
      item.name = ExpandTextTokens(combo.GetItemAt(i)->GetText());
      item.state = kAccSelectable | (i == cur ? static_cast<unsigned>(kAccSelected) : 0u) |
                   (open ? 0u : static_cast<unsigned>(kAccInvisible));
      if (open) {
        const Rect r = combo.ItemRect(i);
        item.location = Rect{listRect.left + r.left, listRect.top + r.top, listRect.left + r.right,
                             listRect.top + r.bottom};
      }
      if (combo.IsEnabled()) item.action = AccessibleAction::kSelect;
      Add(std::move(item), listIndex);
    }
  }

  const CPaintManagerUI& pm_;
  AccessibleTree tree_;
};

}  // namespace

AccessibleTree BuildAccessibleTree(const CPaintManagerUI& pm) {
  Builder b(pm);
  if (Control* root = pm.GetRoot()) b.Walk(root);
  return b.Take();
}

bool PerformAccessibleAction(CPaintManagerUI& pm, const AccessibleKey& key) {
  const AccessibleTree tree = BuildAccessibleTree(pm);
  const int index = tree.Find(key);
  if (index < 0 || tree.nodes[index].action == AccessibleAction::kNone) return false;
  // Found in a fresh tree, so the control is alive.
  Control* c = const_cast<Control*>(key.control);
  if (auto* combo = static_cast<Combo*>(c->GetInterface("Combo"))) {
    if (key.part >= 2) {
      // As a click on the item in the open list.
      combo->SetDropped(false);
      combo->SelectItem(key.part - 2);
      return true;
    }
    pm.SetFocus(combo);
    combo->SetDropped(!combo->IsDropped());
    return true;
  }
  // A press focuses what takes the focus, then the release activates it.
  pm.SetFocus(c->IsFocusable() ? c : nullptr);
  c->Activate();
  return true;
}

std::vector<AccessibleEvent> AccessibleChangeTracker::Update(const AccessibleTree& tree, uint64_t nowMs) {
  std::vector<AccessibleEvent> events;
  std::vector<AccessibleKey> order;
  AccessibleKey focus;
  for (int i : tree.top) {
    order.push_back(tree.nodes[i].key);
    if (tree.nodes[i].state & kAccFocused) focus = tree.nodes[i].key;
  }
  const bool reordered = started_ && order != order_;
  if (reordered) events.push_back({AccessibleEvent::kReorder, 0});

  std::vector<Told> told;
  for (size_t pos = 0; pos < tree.top.size(); ++pos) {
    const AccessibleNode& n = tree.nodes[tree.top[pos]];
    const int child = static_cast<int>(pos) + 1;
    auto old = std::find_if(told_.begin(), told_.end(), [&](const Told& t) { return t.key == n.key; });
    Told t;
    t.key = n.key;
    if (old == told_.end() || !started_) {
      // New to the reader: the reorder (or the first look) tells it whole.
      t.name = n.name;
      t.value = n.value;
      t.state = n.state;
      told.push_back(t);
      continue;
    }
    t = *old;
    const unsigned kept = ~static_cast<unsigned>(kAccFocused);
    if ((t.state & kept) != (n.state & kept)) events.push_back({AccessibleEvent::kStateChange, child});
    t.state = n.state;
    if (t.name != n.name && (!t.nameEver || nowMs - t.nameAt >= kMinIntervalMs)) {
      events.push_back({AccessibleEvent::kNameChange, child});
      t.name = n.name;
      t.nameAt = nowMs;
      t.nameEver = true;
    }
    if (t.value != n.value && (!t.valueEver || nowMs - t.valueAt >= kMinIntervalMs)) {
      events.push_back({AccessibleEvent::kValueChange, child});
      t.value = n.value;
      t.valueAt = nowMs;
      t.valueEver = true;
    }
    told.push_back(t);
  }
  if (started_ && focus != focus_ && focus.control) {
    const auto at = std::find(order.begin(), order.end(), focus);
    events.push_back({AccessibleEvent::kFocus, static_cast<int>(at - order.begin()) + 1});
  }
  started_ = true;
  order_ = std::move(order);
  focus_ = focus;
  told_ = std::move(told);
  return events;
}

}  // namespace SkinUI
