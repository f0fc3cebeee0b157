// A real borderless window on the test's own display, driven by real input.
#include "uikit/window_host.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <functional>
#include <string>
#include <memory>
#include <thread>
#include <vector>

#include "host_png.h"
#include "uikit/automation.h"

namespace {

using namespace SkinUI;

constexpr int kWait = 5000;  // ms; generous, only a bound
constexpr Argb kBase = 0xFF2050A0;
constexpr Argb kRed = 0xFFE02020;

struct Recorder : IHostHandler {
  std::vector<HostEvent> events;
  std::vector<Rect> painted;
  std::vector<std::thread::id> threads;
  Argb fill = kBase;
  int captionHeight = 30;
  bool handleClose = false;
  std::function<void(const HostEvent&)> onEvent;

  bool OnHostEvent(const HostEvent& e) override {
    events.push_back(e);
    threads.push_back(std::this_thread::get_id());
    if (onEvent) onEvent(e);
    return e.type == HostEventType::kCloseRequest ? handleClose : true;
  }
  int HitTest(Point p) override { return p.y < captionHeight ? kHitCaption : kHitClient; }
  void Paint(const Rect& dirty, Bitmap& back) override {
    painted.push_back(dirty);
    for (int y = dirty.top; y < dirty.bottom; ++y)
      for (int x = dirty.left; x < dirty.right; ++x) back.pixels[static_cast<size_t>(y) * back.width + x] = fill;
  }
  int Count(HostEventType type) const {
    int n = 0;
    for (auto& e : events) n += e.type == type;
    return n;
  }
  const HostEvent* Last(HostEventType type) const {
    for (auto it = events.rbegin(); it != events.rend(); ++it)
      if (it->type == type) return &*it;
    return nullptr;
  }
};

class WindowHostTest : public ::testing::Test {
 protected:
  // A shown, fully painted window at a known place.
  void Open(WindowHost& host, Recorder& rec, Size size, Point at, const WindowHost* owner = nullptr) {
    HostOptions options;
    options.title = L"host test";
    options.size = size;
    options.owner = owner;
    ASSERT_TRUE(host.Create(&rec, options));
    host.Move(at);
    host.Show();
    host.InvalidateAll();
    ASSERT_TRUE(Automation::WaitFor([&] { return !rec.painted.empty(); }, kWait));
    ASSERT_TRUE(Automation::WaitFor(
        [&] {
          const Bitmap shot = Automation::CaptureWindow(host);
          return !shot.IsEmpty() && shot.At(size.cx / 2, size.cy / 2) == kBase;
        },
        kWait));
  }
};

TEST_F(WindowHostTest, PaintsOnlyTheDirtyRectangleAndPresentsItOnScreen) {
  WindowHost host;
  Recorder rec;
  Open(host, rec, Size{240, 160}, Point{100, 80});
  rec.painted.clear();
  rec.fill = kRed;
  host.Invalidate(Rect{20, 40, 60, 80});
  ASSERT_TRUE(Automation::WaitFor([&] { return !rec.painted.empty(); }, kWait));
  ASSERT_EQ(rec.painted.size(), 1u);
  EXPECT_EQ(rec.painted[0], (Rect{20, 40, 60, 80}));

  Bitmap window;
  ASSERT_TRUE(Automation::WaitFor(
      [&] {
        window = Automation::CaptureWindow(host);
        return !window.IsEmpty() && window.At(30, 50) == kRed;
      },
      kWait));
  EXPECT_EQ(window.At(19, 50), kBase);
  EXPECT_EQ(window.At(60, 79), kBase);
  EXPECT_EQ(window.At(59, 79), kRed);

  // The screen itself shows the window where the host says it is, once a
  // compositor has drawn the screen again (after the window's own copy).
  const Rect at = host.WindowRect();
  Bitmap screen;
  ASSERT_TRUE(Automation::WaitFor(
      [&] {
        screen = Automation::CaptureScreen();
        return !screen.IsEmpty() && screen.At(at.left + 30, at.top + 50) == kRed;
      },
      kWait));
  EXPECT_EQ(screen.At(at.left + 150, at.top + 100), kBase);
  host_test::SaveScreenshot(screen, "host-window-screen");
  host_test::SaveScreenshot(window, "host-window");
}

TEST_F(WindowHostTest, ClickArrivesWithClientCoordinatesAndCaptionDragMovesTheWindow) {
  WindowHost host;
  Recorder rec;
  Open(host, rec, Size{200, 150}, Point{60, 60});
  ASSERT_TRUE(Automation::Click(host, Point{120, 90}));
  ASSERT_TRUE(Automation::WaitFor([&] { return rec.Count(HostEventType::kMouseUp) == 1; }, kWait));
  const HostEvent* down = rec.Last(HostEventType::kMouseDown);
  ASSERT_NE(down, nullptr);
  EXPECT_EQ(down->point.x, 120);
  EXPECT_EQ(down->point.y, 90);
  EXPECT_EQ(down->button, MouseButton::kLeft);
  EXPECT_EQ(rec.Last(HostEventType::kMouseUp)->point.x, 120);

  // A press in the caption band drags, and never reaches the client.
  const Rect before = host.WindowRect();
  rec.events.clear();
  ASSERT_TRUE(Automation::Drag(host, Point{50, 10}, Point{110, 50}));
  EXPECT_TRUE(Automation::WaitFor(
      [&] {
        const Rect now = host.WindowRect();
        return now.left == before.left + 60 && now.top == before.top + 40;
      },
      kWait))
      << host.WindowRect().left << "," << host.WindowRect().top;
  EXPECT_EQ(rec.Count(HostEventType::kMouseDown), 0);
  EXPECT_EQ(host.ClientSize().cx, 200);
}

TEST_F(WindowHostTest, KeysArriveAsVirtualKeyCodes) {
  WindowHost host;
  Recorder rec;
  Open(host, rec, Size{160, 120}, Point{40, 40});
  ASSERT_TRUE(Automation::MouseMove(host, Point{80, 80}));
  ASSERT_TRUE(Automation::PressKey(kKeyReturn));
  ASSERT_TRUE(Automation::PressKey(kKeyEscape));
  ASSERT_TRUE(Automation::PressKey('Q'));
  ASSERT_TRUE(Automation::WaitFor([&] { return rec.Count(HostEventType::kKeyDown) >= 3; }, kWait));
  std::vector<int> keys;
  for (auto& e : rec.events)
    if (e.type == HostEventType::kKeyDown) keys.push_back(e.key);
  EXPECT_EQ(keys, (std::vector<int>{13, 27, 'Q'}));
}

TEST_F(WindowHostTest, KeysWithAltArriveAsKeysWithTheirModifiers) {
  WindowHost host;
  Recorder rec;
  Open(host, rec, Size{160, 120}, Point{40, 40});
  ASSERT_TRUE(Automation::MouseMove(host, Point{80, 80}));
  // Windows sends these as system keys, which a drop-down needs to open.
  ASSERT_TRUE(Automation::PressKey(kKeyDown, kModAlt));
  ASSERT_TRUE(Automation::PressKey(kKeyUp, kModAlt | kModShift));
  ASSERT_TRUE(Automation::PressKey(kKeyHome, kModControl | kModShift));
  auto find = [&](int key) -> const HostEvent* {
    for (auto& e : rec.events)
      if (e.type == HostEventType::kKeyDown && e.key == key) return &e;
    return nullptr;
  };
  ASSERT_TRUE(Automation::WaitFor([&] { return find(kKeyHome) != nullptr; }, kWait));
  ASSERT_NE(find(kKeyDown), nullptr);
  ASSERT_NE(find(kKeyUp), nullptr);
  EXPECT_EQ(find(kKeyDown)->modifiers, kModAlt);
  EXPECT_EQ(find(kKeyUp)->modifiers, kModAlt | kModShift);
  EXPECT_EQ(find(kKeyHome)->modifiers, kModControl | kModShift);
  EXPECT_EQ(rec.Count(HostEventType::kChar), 0);
  EXPECT_TRUE(host.IsAlive());
  // A lone tap of Alt (the system's way into a menu) leaves the next key
  // the window's.
  ASSERT_TRUE(Automation::PressKey(kKeyAlt));
  ASSERT_TRUE(Automation::PressKey('Q'));
  ASSERT_TRUE(Automation::WaitFor([&] { return find('Q') != nullptr; }, kWait));
  EXPECT_EQ(find('Q')->modifiers, 0);
}

TEST_F(WindowHostTest, ClipboardCarriesTextBeyondAsciiBothWays) {
  const std::string text = "Gr\xc3\xbc\xc3\x9f" "e \xe4\xb8\xad \xf0\x9f\x8e\x81 end";
  ASSERT_TRUE(WindowHost::SetClipboardText(text));
  EXPECT_EQ(WindowHost::ClipboardText(), text);
  ASSERT_TRUE(WindowHost::SetClipboardText("second"));
  EXPECT_EQ(WindowHost::ClipboardText(), "second");
  ASSERT_TRUE(WindowHost::SetClipboardText(""));
  EXPECT_EQ(WindowHost::ClipboardText(), "");
}

class NativeEditTest : public WindowHostTest {
 protected:
  static constexpr Argb kFieldBack = 0xFFFFF0C0;
  NativeEditLook FieldLook() const {
    NativeEditLook look;
    look.rect = Rect{20, 40, 220, 72};
    look.text = "abc";
    look.fontFace = "Tahoma";
    look.fontSize = 14;
    look.textColor = 0xFF102030;
    look.bkColor = kFieldBack;
    look.maxChars = 8;
    return look;
  }
  void WaitForText(WindowHost& host, const std::string& text) {
    EXPECT_TRUE(Automation::WaitFor([&] { return host.NativeEditText() == text; }, kWait))
        << "field holds \"" << host.NativeEditText() << "\", not \"" << text << "\"";
  }
  const HostEvent* EditKey(const Recorder& rec, int key) const {
    for (auto& e : rec.events)
      if (e.type == HostEventType::kNativeEditKey && e.key == key) return &e;
    return nullptr;
  }
};

TEST_F(NativeEditTest, TheSystemsFieldEditsOverTheWindowAndHandsBackTheWindowsKeys) {
  WindowHost host;
  Recorder rec;
  Open(host, rec, Size{260, 120}, Point{60, 60});
  const NativeEditLook look = FieldLook();
  if (!host.BeginNativeEdit(look)) GTEST_SKIP() << "no native edit field on this platform";
  ASSERT_TRUE(host.NativeEditActive());

  // A child window of its own over the rectangle, one line tall, centred.
  Rect field;
  ASSERT_TRUE(Automation::NativeEditRect(host, &field));
  EXPECT_EQ(field.left, look.rect.left);
  EXPECT_EQ(field.right, look.rect.right);
  EXPECT_GT(field.Height(), 10);
  EXPECT_LE(field.Height(), look.rect.Height());
  EXPECT_LE(std::abs((field.top - look.rect.top) - (look.rect.bottom - field.bottom)), 1);
  EXPECT_TRUE(Automation::HoldsKeyboard(host));

  // Painted with the look's colours, and still there once we have painted
  // the window under it again.
  const Point blank{look.rect.right - 3, (field.top + field.bottom) / 2};
  ASSERT_TRUE(Automation::WaitFor(
      [&] {
        const Bitmap shot = Automation::CaptureWindow(host);
        return !shot.IsEmpty() && shot.At(blank.x, blank.y) == kFieldBack;
      },
      kWait));
  rec.painted.clear();
  host.InvalidateAll();
  ASSERT_TRUE(Automation::WaitFor([&] { return !rec.painted.empty(); }, kWait));
  Bitmap shot = Automation::CaptureWindow(host);
  ASSERT_FALSE(shot.IsEmpty());
  EXPECT_EQ(shot.At(blank.x, blank.y), kFieldBack);
  EXPECT_EQ(shot.At(10, 10), kBase);
  EXPECT_EQ(shot.At(blank.x, look.rect.top), kBase);  // above the one line, the window's own
  int inked = 0;  // the text's pixels, in the text colour's neighbourhood
  for (int x = field.left; x < field.left + 30; ++x)
    for (int y = field.top; y < field.bottom; ++y) inked += shot.At(x, y) != kFieldBack;
  EXPECT_GT(inked, 10);
  host_test::SaveScreenshot(shot, "host-native-edit");

  // Typed text is the field's alone.
  ASSERT_TRUE(Automation::TypeText("d\xc3\xa9"));
  WaitForText(host, "abcd\xc3\xa9");
  EXPECT_EQ(rec.Count(HostEventType::kChar), 0);

  // Return, Escape and Tab are the window's, and leave the text alone.
  ASSERT_TRUE(Automation::PressKey(kKeyReturn));
  ASSERT_TRUE(Automation::PressKey(kKeyEscape));
  ASSERT_TRUE(Automation::PressKey(kKeyTab, kModShift));
  ASSERT_TRUE(Automation::WaitFor([&] { return EditKey(rec, kKeyTab) != nullptr; }, kWait));
  ASSERT_NE(EditKey(rec, kKeyReturn), nullptr);
  ASSERT_NE(EditKey(rec, kKeyEscape), nullptr);
  EXPECT_EQ(EditKey(rec, kKeyReturn)->modifiers, 0);
  EXPECT_EQ(EditKey(rec, kKeyTab)->modifiers, kModShift);
  EXPECT_EQ(rec.Count(HostEventType::kKeyDown), 0);
  EXPECT_EQ(host.NativeEditText(), "abcd\xc3\xa9");

  // A press on the window beside the field is the window's.
  ASSERT_TRUE(Automation::Click(host, Point{120, 100}));
  ASSERT_TRUE(Automation::WaitFor([&] { return rec.Count(HostEventType::kMouseUp) == 1; }, kWait));
  EXPECT_EQ(rec.Last(HostEventType::kMouseDown)->point.y, 100);

  host.EndNativeEdit();
  EXPECT_FALSE(host.NativeEditActive());
  EXPECT_FALSE(Automation::NativeEditRect(host, &field));
  EXPECT_EQ(host.NativeEditText(), "");
  // The keyboard is the window's again.
  EXPECT_TRUE(Automation::HoldsKeyboard(host));
  ASSERT_TRUE(Automation::PressKey('Q'));
  ASSERT_TRUE(Automation::WaitFor([&] { return rec.Count(HostEventType::kKeyDown) == 1; }, kWait));
  EXPECT_EQ(rec.Last(HostEventType::kKeyDown)->key, 'Q');
}

TEST_F(NativeEditTest, PasswordAndReadOnlyFieldsAndTheClipboardAreTheSystems) {
  WindowHost host;
  Recorder rec;
  Open(host, rec, Size{260, 120}, Point{60, 60});
  NativeEditLook look = FieldLook();
  look.text = "copy me \xe2\x82\xac";
  look.maxChars = 0;  // no cap: the paste makes it longer than FieldLook()'s
  if (!host.BeginNativeEdit(look)) GTEST_SKIP() << "no native edit field on this platform";
  // Ctrl+A is not every system field's: Home and Shift+End select.
  ASSERT_TRUE(Automation::PressKey(kKeyHome));
  ASSERT_TRUE(Automation::PressKey(kKeyEnd, kModShift));
  ASSERT_TRUE(WindowHost::SetClipboardText("before"));
  ASSERT_TRUE(Automation::PressKey('C', kModControl));
  EXPECT_TRUE(Automation::WaitFor([&] { return WindowHost::ClipboardText() == look.text; }, kWait))
      << WindowHost::ClipboardText();
  ASSERT_TRUE(WindowHost::SetClipboardText(" pasted \xc3\xbc"));
  ASSERT_TRUE(Automation::PressKey(kKeyEnd));
  ASSERT_TRUE(Automation::PressKey('V', kModControl));
  WaitForText(host, look.text + " pasted \xc3\xbc");

  // A new field replaces the open one; a password shows no text and
  // copies none, a read-only field takes no typing.
  look.text = "secret";
  look.password = true;
  ASSERT_TRUE(host.BeginNativeEdit(look));
  Rect field;
  ASSERT_TRUE(Automation::NativeEditRect(host, &field));
  ASSERT_TRUE(WindowHost::SetClipboardText("kept"));
  ASSERT_TRUE(Automation::PressKey(kKeyHome));
  ASSERT_TRUE(Automation::PressKey(kKeyEnd, kModShift));
  ASSERT_TRUE(Automation::PressKey('C', kModControl));
  ASSERT_TRUE(Automation::TypeText("!"));
  WaitForText(host, "!");
  EXPECT_EQ(WindowHost::ClipboardText(), "kept");

  look.password = false;
  look.readOnly = true;
  look.text = "fixed";
  ASSERT_TRUE(host.BeginNativeEdit(look));
  ASSERT_TRUE(Automation::TypeText("xyz"));
  ASSERT_TRUE(Automation::PressKey(kKeyBack));
  ASSERT_TRUE(Automation::PressKey(kKeyReturn));
  ASSERT_TRUE(Automation::WaitFor([&] { return EditKey(rec, kKeyReturn) != nullptr; }, kWait));
  EXPECT_EQ(host.NativeEditText(), "fixed");
  // Its background is still ours (a read-only field asks another message).
  const Point blank{look.rect.right - 3, (field.top + field.bottom) / 2};
  EXPECT_TRUE(Automation::WaitFor(
      [&] {
        const Bitmap shot = Automation::CaptureWindow(host);
        return !shot.IsEmpty() && shot.At(blank.x, blank.y) == kFieldBack;
      },
      kWait));
  // Gone with the window, it takes nothing of ours with it.
  host.Destroy();
  EXPECT_FALSE(host.NativeEditActive());
  EXPECT_EQ(rec.Count(HostEventType::kDestroy), 1);
}

TEST_F(WindowHostTest, TimersFireOnTheUiThreadUntilKilled) {
  WindowHost host;
  Recorder rec;
  Open(host, rec, Size{100, 100}, Point{10, 10});
  auto ticks = [&](unsigned id) {
    int n = 0;
    for (auto& e : rec.events) n += e.type == HostEventType::kTimer && e.timerId == id;
    return n;
  };
  ASSERT_TRUE(host.SetTimer(7, 5));
  ASSERT_TRUE(Automation::WaitFor([&] { return ticks(7) >= 3; }, kWait));
  host.KillTimer(7);
  const int after = ticks(7);
  // Another timer's two ticks show the loop ran on while 7 stayed silent.
  ASSERT_TRUE(host.SetTimer(8, 10));
  ASSERT_TRUE(Automation::WaitFor([&] { return ticks(8) >= 2; }, kWait));
  EXPECT_EQ(ticks(7), after);
  for (auto& t : rec.threads) EXPECT_EQ(t, std::this_thread::get_id());
}

TEST_F(WindowHostTest, DestroyFromInsideATimerTouchesNothingFreed) {
  auto host = std::make_unique<WindowHost>();
  Recorder rec;
  Open(*host, rec, Size{100, 100}, Point{10, 10});
  rec.onEvent = [&](const HostEvent& e) {
    if (e.type == HostEventType::kTimer) host.reset();
  };
  host->SetTimer(1, 1);
  host->SetTimer(2, 1);
  ASSERT_TRUE(Automation::WaitFor([&] { return !host; }, kWait));
  WindowHost::PumpMessages(20);
  EXPECT_EQ(rec.Count(HostEventType::kTimer), 1);
}

TEST_F(WindowHostTest, PostsFromAnotherThreadArriveAndPostsToADestroyedWindowAreDropped) {
  WindowHost host;
  Recorder rec;
  Open(host, rec, Size{100, 100}, Point{10, 10});
  const WindowId id = host.Id();

  auto doomedRec = std::make_unique<Recorder>();
  auto doomed = std::make_unique<WindowHost>();
  HostOptions options;
  ASSERT_TRUE(doomed->Create(doomedRec.get(), options));
  const WindowId doomedId = doomed->Id();

  std::atomic<bool> queued{false};
  std::thread worker([&] {
    EXPECT_TRUE(WindowHost::PostToWindow(doomedId, kFirstPostedMessage + 1, 1, 1));
    EXPECT_TRUE(WindowHost::PostToWindow(id, kFirstPostedMessage + 1000, 42, -7));
    queued = true;
  });
  worker.join();
  ASSERT_TRUE(queued);
  // Gone, handler and all, while its message is still queued.
  doomed.reset();
  doomedRec.reset();
  EXPECT_FALSE(WindowHost::PostToWindow(doomedId, kFirstPostedMessage, 0, 0));
  EXPECT_FALSE(host.Post(1, 0, 0));  // a system message number

  ASSERT_TRUE(Automation::WaitFor([&] { return rec.Count(HostEventType::kPosted) == 1; }, kWait));
  const HostEvent* posted = rec.Last(HostEventType::kPosted);
  EXPECT_EQ(posted->message, kFirstPostedMessage + 1000);
  EXPECT_EQ(posted->wParam, 42u);
  EXPECT_EQ(posted->lParam, -7);
  for (auto& t : rec.threads) EXPECT_EQ(t, std::this_thread::get_id());
}

TEST_F(WindowHostTest, RunModalDisablesTheOwnerKeepsItsPostsFlowingAndReturnsTheResult) {
  WindowHost owner;
  Recorder ownerRec;
  Open(owner, ownerRec, Size{300, 200}, Point{100, 100});

  WindowHost dialog;
  Recorder dialogRec;
  HostOptions options;
  options.owner = &owner;
  options.size = Size{120, 80};
  ASSERT_TRUE(dialog.Create(&dialogRec, options));
  dialog.CenterOver(&owner);
  const Rect d = dialog.WindowRect();
  const Rect o = owner.WindowRect();
  EXPECT_EQ(d.left - o.left, (300 - 120) / 2);
  EXPECT_EQ(d.top - o.top, (200 - 80) / 2);

  bool ownerDisabledInside = false;
  dialogRec.onEvent = [&](const HostEvent& e) {
    if (e.type != HostEventType::kTimer) return;
    ownerDisabledInside = !owner.IsEnabled();
    // Ends only once the owner's message, posted from a worker, was
    // handled inside the nested loop.
    if (ownerRec.Count(HostEventType::kPosted) == 1) dialog.EndModal(7);
  };
  dialog.SetTimer(1, 5);
  std::thread worker([&] { owner.Post(kFirstPostedMessage + 24, 0, 0); });
  worker.join();
  EXPECT_EQ(dialog.RunModal(), 7);
  EXPECT_TRUE(ownerDisabledInside);
  EXPECT_TRUE(owner.IsEnabled());
  EXPECT_FALSE(dialog.IsAlive());
  EXPECT_EQ(dialogRec.Count(HostEventType::kDestroy), 1);

  // A quit request inside a modal run ends it and then the outer loop.
  WindowHost second;
  Recorder secondRec;
  options.size = Size{80, 60};
  ASSERT_TRUE(second.Create(&secondRec, options));
  secondRec.onEvent = [&](const HostEvent& e) {
    if (e.type == HostEventType::kTimer) WindowHost::QuitMessageLoop(3);
  };
  second.SetTimer(1, 5);
  EXPECT_EQ(second.RunModal(), -1);
  EXPECT_TRUE(owner.IsEnabled());
  EXPECT_EQ(WindowHost::RunMessageLoop(), 3);
}

TEST_F(WindowHostTest, CloseRequestsDestroyUnlessTheHandlerKeepsTheWindow) {
  WindowHost host;
  Recorder rec;
  Open(host, rec, Size{100, 100}, Point{10, 10});
  rec.handleClose = true;
  host.Close();
  ASSERT_TRUE(Automation::WaitFor([&] { return rec.Count(HostEventType::kCloseRequest) == 1; }, kWait));
  EXPECT_TRUE(host.IsAlive());
  rec.handleClose = false;
  host.Close();
  ASSERT_TRUE(Automation::WaitFor([&] { return !host.IsAlive(); }, kWait));
  EXPECT_EQ(rec.Count(HostEventType::kDestroy), 1);
  EXPECT_EQ(host.Id(), 0u);
}

TEST_F(WindowHostTest, RoundRegionCutsTheCornerPixelsOnScreen) {
  WindowHost host;
  Recorder rec;
  rec.fill = kRed;
  HostOptions options;
  options.size = Size{120, 90};
  ASSERT_TRUE(host.Create(&rec, options));
  host.Move(Point{200, 150});
  host.SetRoundRegion(Size{24, 24});
  host.Show();
  host.InvalidateAll();
  Bitmap screen;
  const Rect at{200, 150, 320, 240};
  ASSERT_TRUE(Automation::WaitFor(
      [&] {
        screen = Automation::CaptureScreen();
        return !screen.IsEmpty() && screen.At(at.left + 60, at.top + 45) == kRed;
      },
      kWait));
  // Edges are in, corners are out, on every corner.
  EXPECT_EQ(screen.At(at.left + 60, at.top), kRed);
  EXPECT_EQ(screen.At(at.left, at.top + 45), kRed);
  EXPECT_NE(screen.At(at.left, at.top), kRed);
  EXPECT_NE(screen.At(at.left + 1, at.top + 1), kRed);
  EXPECT_NE(screen.At(at.right - 1, at.top), kRed);
  EXPECT_NE(screen.At(at.left, at.bottom - 1), kRed);
  EXPECT_NE(screen.At(at.right - 1, at.bottom - 1), kRed);
  EXPECT_EQ(screen.At(at.left + 12, at.top + 12), kRed);
  Bitmap crop;
  crop.width = 160;
  crop.height = 130;
  for (int y = 0; y < crop.height; ++y)
    for (int x = 0; x < crop.width; ++x) crop.pixels.push_back(screen.At(at.left - 20 + x, at.top - 20 + y));
  host_test::SaveScreenshot(crop, "host-round-region");
}

}  // namespace
