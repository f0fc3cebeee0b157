// What a screen reader is told about a skinned window. Every control is
// drawn by the toolkit, so the system sees one blank window; this model
// names the controls the user can see, in the order the keyboard reaches
// them, with what each one is, says, holds and does. The platform bridge
// (accessibility_bridge.h) hands it to the system's accessibility
// interface; the model itself asks nothing of the OS.
//
// UI thread only, like the paint manager it reads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "uikit/geometry.h"

namespace SkinUI {

class Control;
class CPaintManagerUI;

// The kinds of object, each with the meaning of the MSAA role of the same
// name.
enum class AccessibleRole {
  kClient,       // the window's client area, the tree's root
  kDialog,       // the root of a prompt
  kPushButton,
  kCheckBox,
  kStaticText,
  kEditableText,
  kComboBox,
  kList,         // a drop-down's list
  kListItem,
  kProgressBar,
  kGraphic,      // an image without text
};

enum AccessibleState : unsigned {
  kAccFocused = 1u << 0,
  kAccFocusable = 1u << 1,
  kAccChecked = 1u << 2,
  kAccUnavailable = 1u << 3,
  kAccInvisible = 1u << 4,
  kAccExpanded = 1u << 5,
  kAccCollapsed = 1u << 6,
  kAccSelected = 1u << 7,
  kAccSelectable = 1u << 8,
  kAccReadOnly = 1u << 9,
  kAccProtected = 1u << 10,  // a password field: its value is not told
};

enum class AccessibleAction { kNone, kPress, kCheck, kUncheck, kOpen, kClose, kSelect };

// The language table's ids that name an image-only title button without a
// tooltip, by the control names WindowImplBase acts on.
struct TitleButtonText {
  const char* controlName;
  int textId;
};
constexpr TitleButtonText kTitleButtonTexts[] = {
    {"closebtn", 118}, {"minbtn", 119}, {"maxbtn", 120}, {"restorebtn", 121}};

// The English verb a reader says for an action ("Press", "Check", ...);
// empty for kNone.
const char* AccessibleActionName(AccessibleAction action);

// Which object, stable across rebuilds of the tree while the control
// lives: the control and a part of it (0 the control, 1 a drop-down's
// list, 2 + i its item i). The control is compared, never followed, until
// a fresh tree holds the same key.
struct AccessibleKey {
  const Control* control = nullptr;
  int part = 0;
  bool operator==(const AccessibleKey& o) const { return control == o.control && part == o.part; }
  bool operator!=(const AccessibleKey& o) const { return !(*this == o); }
};

struct AccessibleNode {
  AccessibleKey key;
  int parent = -1;            // index in the tree; -1: a child of the window
  std::vector<int> children;  // indices in the tree
  AccessibleRole role = AccessibleRole::kStaticText;
  std::string name;           // UTF-8, tokens expanded
  std::string value;          // a field's text, the chosen item, "42%"
  unsigned state = 0;         // AccessibleState bits
  Rect location;              // client coordinates of the window
  AccessibleAction action = AccessibleAction::kNone;
  int percent = -1;           // a progress bar's whole percentage, else -1
};

struct AccessibleTree {
  std::vector<AccessibleNode> nodes;
  std::vector<int> top;  // the window's children, in focus order
  // Index of the node with `key`, -1 when the tree has none.
  int Find(const AccessibleKey& key) const;
  // The children of node `index`, or of the window for -1.
  const std::vector<int>& ChildrenOf(int index) const;
};

// The shown controls of the window with an area: buttons, check boxes,
// fields, drop-downs (with their list and its items), progress bars, texts
// with words and images without, in tree order, which is the focus order
// (CPaintManagerUI::FocusOrder) for the focusable ones. Layout boxes and
// empty spacers are left out. A control without text is named by its
// tooltip (an image-only button's "%{n}").
AccessibleTree BuildAccessibleTree(const CPaintManagerUI& pm);

// The whole percentage a bar shows: (value - min) * 100 / (max - min) in
// integers, 0 for a bar whose max is not above its min.
int ProgressPercent(int min, int max, int value);

// Does what a click on that object does (a button's press, a check box's
// toggle, a drop-down opened or closed, an item chosen), the focus moving
// as a click moves it. False when the tree holds no such object now, or it
// is disabled, or it has no action.
bool PerformAccessibleAction(CPaintManagerUI& pm, const AccessibleKey& key);

// What a reader must be told after a change, found by comparing trees.
struct AccessibleEvent {
  enum Type { kFocus, kReorder, kNameChange, kValueChange, kStateChange };
  Type type = kFocus;
  int child = 0;  // 1-based position among the window's children; 0: the window
  bool operator==(const AccessibleEvent& o) const { return type == o.type && child == o.child; }
};

// Follows one window's tree from update to update. A page change (another
// set of children) is one reorder; the focus moving is one focus event; a
// changed name or value (progress) is told at most once per kMinIntervalMs
// for each object, the latest one reaching the reader on the first update
// after that interval.
class AccessibleChangeTracker {
 public:
  static constexpr uint64_t kMinIntervalMs = 250;
  std::vector<AccessibleEvent> Update(const AccessibleTree& tree, uint64_t nowMs);

 private:
  struct Told {
    AccessibleKey key;
    std::string name, value;
    unsigned state = 0;
    uint64_t nameAt = 0, valueAt = 0;
    bool nameEver = false, valueEver = false;
  };
  bool started_ = false;
  std::vector<AccessibleKey> order_;
  AccessibleKey focus_;
  std::vector<Told> told_;
};

}  // namespace SkinUI
