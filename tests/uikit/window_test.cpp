// The skinned window base on a real window of the test's display, its skin
// embedded in this executable, driven by real input.
#include "uikit/window_impl_base.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "uikit/automation.h"
#include "uikit/combo.h"
#include "uikit/control.h"
#include "uikit/edit.h"
#include "uikit/text_table.h"

namespace {

using namespace SkinUI;

constexpr int kWait = 5000;  // ms; only a bound
constexpr Argb kBackground = 0xFF3366AA;
constexpr Point kGo{60, 55};
constexpr Point kClose{225, 15};
constexpr Point kCaptionLabel{60, 15};

class TestWindow : public WindowImplBase {
 public:
  std::string file = "Test.xml";
  int resourceId = kSkinResourceId;
  bool keepCloseButton = false;
  int ready = 0;
  std::vector<std::string> notes;  // "type:name"
  std::vector<uintptr_t> timerIds;
  std::vector<unsigned> messages;
  std::vector<std::pair<uintptr_t, intptr_t>> params;
  std::vector<int> defaultKeys;
  bool swallowDefaultKeys = true;
  std::vector<std::string> returnTexts;  // the field's text as each "return" was raised
  std::function<void()> onMessage;

  int Clicks(const std::string& name) const {
    int n = 0;
    for (auto& s : notes) n += s == "click:" + name;
    return n;
  }

 protected:
  std::string GetWindowClassName() const override { return "SkinUITestWnd"; }
  std::string GetSkinFolder() const override { return "wnd"; }
  std::string GetSkinFile() const override { return file; }
  int GetResourceID() const override { return resourceId; }
  void OnWindowReady() override { ++ready; }
  void OnNotify(Notification& msg) override {
    notes.push_back(msg.type + ":" + (msg.sender ? msg.sender->GetName() : ""));
    if (msg.type == "return" && msg.sender) returnTexts.push_back(msg.sender->GetText());
    if (msg.type == "timer") timerIds.push_back(msg.wParam);
    if (keepCloseButton && msg.sender && msg.sender->GetName() == "closebtn") return;
    WindowImplBase::OnNotify(msg);
  }
  intptr_t OnCustomMessage(unsigned message, uintptr_t wParam, intptr_t lParam, bool* handled) override {
    messages.push_back(message);
    params.emplace_back(wParam, lParam);
    if (onMessage) onMessage();
    *handled = true;
    return 0;
  }
  bool OnDefaultKey(int key) override {
    defaultKeys.push_back(key);
    return swallowDefaultKeys;
  }
};

bool Noted(const TestWindow& w, const std::string& note) {
  return std::find(w.notes.begin(), w.notes.end(), note) != w.notes.end();
}

// Shown, painted and on screen with the layout's background.
void Open(TestWindow& w, Point at = Point{80, 80}) {
  ASSERT_TRUE(w.Create(nullptr, L"window test"));
  w.Host().Move(at);
  w.ShowWindow();
  ASSERT_TRUE(Automation::WaitFor(
      [&] {
        const Bitmap shot = Automation::CaptureWindow(w.Host());
        return !shot.IsEmpty() && shot.At(200, 140) == kBackground;
      },
      kWait));
}

TEST(WindowImplBaseTest, BuildsTheLayoutClicksButtonsAndKeepsCaptionLabelsForDragging) {
  TestWindow w;
  Open(w);
  EXPECT_EQ(w.ready, 1);
  EXPECT_EQ(w.Host().ClientSize().cx, 240);
  EXPECT_EQ(w.Host().ClientSize().cy, 160);
  EXPECT_EQ(w.PaintManager().GetClientSize().cx, 240);
  EXPECT_EQ(w.PaintManager().GetClientSize().cy, 160);
  EXPECT_NE(w.FindControl("go"), nullptr);

  // The rounded region leaves the corner pixel outside the window.
  const Bitmap shot = Automation::CaptureWindow(w.Host());
  ASSERT_FALSE(shot.IsEmpty());
  EXPECT_EQ(shot.At(120, 100), kBackground);
  EXPECT_EQ(shot.At(40, 50), 0xFF20CC20u);  // the "go" button's colour

  ASSERT_TRUE(Automation::Click(w.Host(), kGo));
  ASSERT_TRUE(Automation::WaitFor([&] { return w.Clicks("go") == 1; }, kWait));

  // A label in the caption band is the title bar: the press drags, no click.
  EXPECT_EQ(w.HitTest(kCaptionLabel), kHitCaption);
  EXPECT_EQ(w.HitTest(kClose), kHitClient);
  EXPECT_EQ(w.HitTest(Point{60, 100}), kHitClient);
  ASSERT_TRUE(Automation::Click(w.Host(), kCaptionLabel));
  ASSERT_TRUE(Automation::Click(w.Host(), kGo));
  ASSERT_TRUE(Automation::WaitFor([&] { return w.Clicks("go") == 2; }, kWait));
  for (const std::string& n : w.notes) EXPECT_NE(n, "click:caption");
  // Dragged by that label, the window follows the mouse.
  const Rect before = w.Host().WindowRect();
  ASSERT_TRUE(Automation::Drag(w.Host(), kCaptionLabel, Point{kCaptionLabel.x + 40, kCaptionLabel.y + 30}));
  EXPECT_TRUE(Automation::WaitFor([&] { return w.Host().WindowRect() == before.Offset(40, 30); }, kWait))
      << w.Host().WindowRect().left << "," << w.Host().WindowRect().top;
  EXPECT_TRUE(w.Host().IsAlive());
  EXPECT_EQ(w.ready, 1);
}

TEST(WindowImplBaseTest, PostedMessagesTimersAndDefaultKeysReachTheWindowOnTheUiThread) {
  TestWindow w;
  Open(w);
  const std::thread::id ui = std::this_thread::get_id();
  std::thread::id seen;
  w.onMessage = [&] { seen = std::this_thread::get_id(); };
  std::thread worker([&] { EXPECT_TRUE(w.PostCustomMessage(kFirstPostedMessage + 5, 11, -22)); });
  worker.join();
  ASSERT_TRUE(Automation::WaitFor([&] { return !w.messages.empty(); }, kWait));
  EXPECT_EQ(w.messages[0], kFirstPostedMessage + 5);
  EXPECT_EQ(w.params[0], (std::pair<uintptr_t, intptr_t>(11, -22)));
  EXPECT_EQ(seen, ui);

  // Two control timers through the window's one host timer.
  Control* go = w.FindControl("go");
  ASSERT_TRUE(w.SetTimer(go, 7, 20));
  ASSERT_TRUE(w.SetTimer(go, 8, 5));
  ASSERT_TRUE(Automation::WaitFor(
      [&] {
        int sevens = 0, eights = 0;
        for (uintptr_t id : w.timerIds) (id == 7 ? sevens : eights) += 1;
        return sevens >= 2 && eights >= 2;
      },
      kWait));
  EXPECT_TRUE(w.KillTimer(go, 7));
  EXPECT_TRUE(w.KillTimer(go, 8));

  ASSERT_TRUE(Automation::PressKey(kKeyReturn));
  ASSERT_TRUE(Automation::PressKey(kKeyEscape));
  ASSERT_TRUE(Automation::WaitFor([&] { return w.defaultKeys.size() == 2; }, kWait));
  EXPECT_EQ(w.defaultKeys, (std::vector<int>{kKeyReturn, kKeyEscape}));

  // Typed text reaches a focused Edit (a native field's once it closes).
  ASSERT_TRUE(Automation::Click(w.Host(), Point{140, 45}));
  ASSERT_TRUE(Automation::WaitFor([&] { return Noted(w, "setfocus:field"); }, kWait));
  ASSERT_TRUE(Automation::PressKey('A'));
  ASSERT_TRUE(Automation::WaitFor([&] { return w.Host().NativeEditText() == "a" || Noted(w, "textchanged:field"); }, kWait));
  ASSERT_TRUE(Automation::Click(w.Host(), Point{200, 140}));
  ASSERT_TRUE(Automation::WaitFor([&] { return Noted(w, "textchanged:field"); }, kWait));
  EXPECT_EQ(w.FindControl("field")->GetText(), "a");

  w.Host().Destroy();
  EXPECT_FALSE(w.PostCustomMessage(kFirstPostedMessage + 5, 0, 0));
}

Edit* EditNamed(TestWindow& w, const std::string& name) {
  Control* c = w.FindControl(name);
  return c ? static_cast<Edit*>(c->GetInterface("Edit")) : nullptr;
}

void ClickControlOf(TestWindow& w, const std::string& name) {
  ASSERT_TRUE(Automation::ClickControl(name, &w)) << name;
}

TEST(WindowImplBaseTest, AFocusedEditIsTheSystemsFieldAndItsTextComesBackToTheControl) {
  TestWindow w;
  w.file = "Fields.xml";
  w.swallowDefaultKeys = false;
  Open(w);
  Edit* name = EditNamed(w, "name");
  Edit* capped = EditNamed(w, "capped");
  ASSERT_NE(name, nullptr);
  ASSERT_NE(capped, nullptr);
  ClickControlOf(w, "name");
  ASSERT_TRUE(Automation::WaitFor([&] { return Noted(w, "setfocus:name"); }, kWait));
  if (!w.Host().NativeEditActive()) GTEST_SKIP() << "the control is its own field on this platform";

  // The system's field lies over the control's text area, with the keyboard.
  EXPECT_TRUE(name->IsNativeActive());
  Rect field;
  ASSERT_TRUE(Automation::NativeEditRect(w.Host(), &field));
  const Rect text = name->NativeRect();
  EXPECT_EQ(field.left, text.left);
  EXPECT_EQ(field.right, text.right);
  EXPECT_GE(field.top, text.top);
  EXPECT_LE(field.bottom, text.bottom);
  EXPECT_TRUE(Automation::HoldsKeyboard(w.Host()));

  ASSERT_TRUE(Automation::TypeText("Zo\xc3\xab!"));
  ASSERT_TRUE(Automation::PressKey(kKeyBack));
  ASSERT_TRUE(Automation::WaitFor([&] { return w.Host().NativeEditText() == "Zo\xc3\xab"; }, kWait))
      << w.Host().NativeEditText();
  EXPECT_EQ(name->GetText(), "");  // the field has it until it hands it back
  // Return hands it over first, then acts as the control's Return.
  ASSERT_TRUE(Automation::PressKey(kKeyReturn));
  ASSERT_TRUE(Automation::WaitFor([&] { return Noted(w, "return:name"); }, kWait));
  EXPECT_EQ(w.returnTexts, (std::vector<std::string>{"Zo\xc3\xab"}));
  EXPECT_EQ(w.defaultKeys, (std::vector<int>{kKeyReturn}));
  EXPECT_TRUE(w.Host().NativeEditActive());

  ASSERT_TRUE(Automation::PressKey(kKeyHome));
  ASSERT_TRUE(Automation::PressKey(kKeyEnd, kModShift));
  ASSERT_TRUE(Automation::TypeText("\xc3\x85nn"));
  ASSERT_TRUE(Automation::WaitFor([&] { return w.Host().NativeEditText() == "\xc3\x85nn"; }, kWait))
      << w.Host().NativeEditText();
  // A click elsewhere ends the edit; the control keeps what was typed.
  ClickControlOf(w, "other");
  ASSERT_TRUE(Automation::WaitFor([&] { return Noted(w, "killfocus:name"); }, kWait));
  EXPECT_FALSE(w.Host().NativeEditActive());
  EXPECT_FALSE(name->IsNativeActive());
  EXPECT_FALSE(Automation::NativeEditRect(w.Host(), &field));
  EXPECT_EQ(name->GetText(), "\xc3\x85nn");
  EXPECT_TRUE(Automation::HoldsKeyboard(w.Host()));

  // The cap holds in the system's field.
  ClickControlOf(w, "capped");
  ASSERT_TRUE(Automation::WaitFor([&] { return Noted(w, "setfocus:capped"); }, kWait));
  ASSERT_TRUE(Automation::TypeText("abcdefg"));
  ASSERT_TRUE(Automation::WaitFor([&] { return w.Host().NativeEditText() == "abcd"; }, kWait))
      << w.Host().NativeEditText();
  // Shift+Tab moves back with the text handed over; a field reached so
  // offers its text for typing over.
  ASSERT_TRUE(Automation::PressKey(kKeyTab, kModShift));
  ASSERT_TRUE(Automation::WaitFor([&] { return w.PaintManager().GetFocus() == name; }, kWait));
  EXPECT_EQ(capped->GetText(), "abcd");
  EXPECT_TRUE(name->IsNativeActive());
  EXPECT_FALSE(capped->IsNativeActive());
  ASSERT_TRUE(Automation::TypeText("Q"));
  ASSERT_TRUE(Automation::WaitFor([&] { return w.Host().NativeEditText() == "Q"; }, kWait))
      << w.Host().NativeEditText();
  ASSERT_TRUE(Automation::PressKey(kKeyTab));
  ASSERT_TRUE(Automation::WaitFor([&] { return w.PaintManager().GetFocus() == capped; }, kWait));
  EXPECT_EQ(name->GetText(), "Q");
  // Escape is the window's; the field stays.
  ASSERT_TRUE(Automation::PressKey(kKeyEscape));
  ASSERT_TRUE(Automation::WaitFor([&] { return w.defaultKeys.size() == 2; }, kWait));
  EXPECT_EQ(w.defaultKeys.back(), kKeyEscape);
  EXPECT_TRUE(capped->IsNativeActive());
  w.Host().Destroy();
  EXPECT_FALSE(w.Host().NativeEditActive());
}

TEST(WindowImplBaseTest, AComboOpensItsListInAPopupThatLeavesTheOwnerActive) {
  TestWindow w;
  w.file = "Fields.xml";
  Open(w);
  Combo* combo = static_cast<Combo*>(w.FindControl("lang")->GetInterface("Combo"));
  ASSERT_NE(combo, nullptr);
  Rect box;
  ASSERT_TRUE(Automation::FindControl("lang", &box, &w));
  ClickControlOf(w, "lang");
  ASSERT_TRUE(Automation::WaitFor([&] { return w.PopupHost().IsAlive() && w.PopupHost().IsVisible(); }, kWait));
  EXPECT_TRUE(combo->IsDropped());
  // Below the box, as wide as it, in a window of its own.
  const Rect list = w.PopupHost().WindowRect();
  EXPECT_EQ(list.left, box.left);
  EXPECT_EQ(list.top, box.bottom);
  EXPECT_EQ(list.Width(), combo->DropSize().cx);
  EXPECT_EQ(list.Height(), combo->DropSize().cy);
  EXPECT_TRUE(Automation::HoldsKeyboard(w.Host()));
  EXPECT_FALSE(Automation::HoldsKeyboard(w.PopupHost()));

  // The keys stay the owner's, and move through the open list.
  const int hot = combo->GetHotItem();
  ASSERT_TRUE(Automation::PressKey(kKeyDown));
  ASSERT_TRUE(Automation::WaitFor([&] { return combo->GetHotItem() == hot + 1; }, kWait));
  // A real click on the second item chooses it and closes the list.
  const Rect second = combo->ItemRect(1).Offset(list.left, list.top);
  ASSERT_TRUE(Automation::ClickScreen(Point{(second.left + second.right) / 2, (second.top + second.bottom) / 2}));
  ASSERT_TRUE(Automation::WaitFor([&] { return !combo->IsDropped() && !w.PopupHost().IsVisible(); }, kWait));
  EXPECT_EQ(combo->GetCurSel(), 1);
  EXPECT_TRUE(Noted(w, "itemselect:lang"));
  EXPECT_TRUE(Automation::HoldsKeyboard(w.Host()));

  // Alt+Down and Alt+Up, the system's keys for it, open and close it.
  ASSERT_EQ(w.PaintManager().GetFocus(), combo);
  ASSERT_TRUE(Automation::PressKey(kKeyDown, kModAlt));
  ASSERT_TRUE(Automation::WaitFor([&] { return combo->IsDropped() && w.PopupHost().IsVisible(); }, kWait));
  ASSERT_TRUE(Automation::PressKey(kKeyUp, kModAlt));
  ASSERT_TRUE(Automation::WaitFor([&] { return !combo->IsDropped() && !w.PopupHost().IsVisible(); }, kWait));
  EXPECT_EQ(combo->GetCurSel(), 1);

  // Near the bottom of the work area the list opens above the box, and may
  // reach past the window's top.
  const Rect work = WindowHost::WorkAreaAt(Point{box.left, box.top});
  const Rect window = w.Host().WindowRect();
  w.Host().Move(Point{window.left, work.bottom - (box.bottom - window.top) - 4});
  ASSERT_TRUE(Automation::WaitFor([&] { return Automation::FindControl("lang", &box, &w) && box.bottom == work.bottom - 4; }, kWait));
  ClickControlOf(w, "lang");
  ASSERT_TRUE(Automation::WaitFor([&] { return w.PopupHost().IsVisible(); }, kWait));
  EXPECT_EQ(w.PopupHost().WindowRect().bottom, box.top);
  EXPECT_EQ(w.PopupHost().WindowRect().left, box.left);
  EXPECT_TRUE(Automation::HoldsKeyboard(w.Host()));
  // A click on the owner elsewhere closes it, choosing nothing.
  ClickControlOf(w, "other");
  ASSERT_TRUE(Automation::WaitFor([&] { return !w.PopupHost().IsVisible(); }, kWait));
  EXPECT_EQ(combo->GetCurSel(), 1);
}

TEST(WindowImplBaseTest, AWindowGoneWithRunningTimersAndQueuedMessagesLeavesNothingBehind) {
  {
    TestWindow w;
    Open(w);
    ASSERT_TRUE(w.SetTimer(w.FindControl("go"), 3, 1));
    ASSERT_TRUE(Automation::WaitFor([&] { return !w.timerIds.empty(); }, kWait));
    ASSERT_TRUE(w.PostCustomMessage(kFirstPostedMessage + 9));
    std::thread worker([&] { w.PostCustomMessage(kFirstPostedMessage + 9); });
    worker.join();
  }
  // What was queued for the gone window is dropped, never delivered.
  Automation::WaitFor([] { return false; }, 50);
  TestWindow next;
  Open(next);
  EXPECT_TRUE(next.messages.empty());
}

TEST(WindowImplBaseTest, CloseButtonEndsTheModalRunWithOneUnlessTheWindowKeepsIt) {
  TestWindow kept;
  kept.keepCloseButton = true;
  Open(kept);
  ASSERT_TRUE(Automation::Click(kept.Host(), kClose));
  ASSERT_TRUE(Automation::WaitFor([&] { return kept.Clicks("closebtn") == 1; }, kWait));
  Automation::WaitFor([] { return false; }, 50);  // let a wrong close arrive
  EXPECT_TRUE(kept.Host().IsAlive());
  kept.Host().Destroy();

  TestWindow w;
  Open(w);
  // The click is sent from inside the modal run.
  w.onMessage = [&] { EXPECT_TRUE(Automation::Click(w.Host(), kClose)); };
  ASSERT_TRUE(w.PostCustomMessage(kFirstPostedMessage + 1));
  EXPECT_EQ(w.ShowModal(), 1);
  EXPECT_EQ(w.Clicks("closebtn"), 1);
  EXPECT_FALSE(w.Host().IsAlive());
}

TEST(WindowImplBaseTest, TitleButtonsMaximiseToTheWorkAreaAndRestore) {
  TestWindow w;
  Open(w);
  ASSERT_TRUE(Automation::ClickControl("maxbtn", &w));
  const Rect work = WindowHost::WorkArea();
  ASSERT_TRUE(Automation::WaitFor(
      [&] {
        return w.Host().State() == SizeState::kMaximized &&
               w.PaintManager().GetClientSize().cx == work.right - work.left &&
               w.PaintManager().GetClientSize().cy == work.bottom - work.top;
      },
      kWait));

  // The window itself, not only its client, fills the work area, and real
  // input reaches it there.
  ASSERT_TRUE(Automation::WaitFor([&] { return w.Host().WindowRect() == work; }, kWait))
      << w.Host().WindowRect().left << "," << w.Host().WindowRect().top << " " << w.Host().WindowRect().right << ","
      << w.Host().WindowRect().bottom;
  Rect restore;
  ASSERT_TRUE(Automation::FindControl("restorebtn", &restore, &w));
  EXPECT_GE(restore.left, work.left + 200);  // on the right of the maximised window, on the screen
  ASSERT_TRUE(Automation::ClickControl("restorebtn", &w));
  ASSERT_TRUE(Automation::WaitFor(
      [&] { return w.Host().State() == SizeState::kRestored && w.PaintManager().GetClientSize().cx == 240; },
      kWait));
  EXPECT_EQ(w.PaintManager().GetClientSize().cy, 160);
}

TEST(WindowImplBaseTest, ABrokenLayoutTakesTheFailureActionAndAMissingSkinLeavesAnEmptyWindow) {
  std::vector<std::wstring> boxes;
  std::vector<int> codes;
  WindowImplBase::SetFailureActions(
      {[&](const std::wstring& text, const std::wstring& caption) { boxes.push_back(caption + L": " + text); },
       [&](int code) { codes.push_back(code); }});
  TestWindow broken;
  broken.file = "Broken.xml";
  EXPECT_FALSE(broken.Create(nullptr, L"broken"));
  // No language table is loaded: the box speaks both languages.
  EXPECT_EQ(boxes, (std::vector<std::wstring>{L"SkinUI: Setup could not load its resources.\n加载资源文件失败"}));
  EXPECT_EQ(codes, (std::vector<int>{1}));
  EXPECT_EQ(broken.ready, 0);
  // With a table loaded, the box speaks its language alone (text beyond
  // the Basic Multilingual Plane too).
  AddLocalText(WindowImplBase::kLoadFailedTextId, "\xe8\xbc\x89\xe5\x85\xa5\xe5\xa4\xb1\xe6\x95\x97 \xf0\x9f\x93\xa6");
  TestWindow brokenAgain;
  brokenAgain.file = "Broken.xml";
  EXPECT_FALSE(brokenAgain.Create(nullptr, L"broken"));
  ClearLocalTexts();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1], std::wstring(L"SkinUI: \u8f09\u5165\u5931\u6557 ") + (sizeof(wchar_t) == 2 ? std::wstring(L"\xd83d\xdce6") : std::wstring(1, static_cast<wchar_t>(0x1F4E6))));

  TestWindow missing;
  missing.resourceId = 999;
  ASSERT_TRUE(missing.Create(nullptr, L"missing"));
  missing.ShowWindow();
  missing.Host().UpdateNow();
  EXPECT_EQ(missing.ready, 0);
  EXPECT_EQ(missing.PaintManager().GetRoot(), nullptr);
  EXPECT_EQ(missing.HitTest(Point{5, 5}), kHitClient);
  ASSERT_TRUE(Automation::Click(missing.Host(), Point{10, 10}));
  Automation::WaitFor([] { return false; }, 50);  // the click is handled without a tree
  EXPECT_TRUE(missing.notes.empty());
  EXPECT_TRUE(missing.Host().IsAlive());
  EXPECT_EQ(boxes.size(), 2u);  // a missing skin shows no box
  WindowImplBase::SetFailureActions({});
}

}  // namespace
