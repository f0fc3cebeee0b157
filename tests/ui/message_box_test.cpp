// The prompts on real windows of the test's display, the product's skin
// embedded in this executable, answered by real input: a click on the
// screen where the prompt lies over its owner, a real key press.
#include "ui/message_box.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "prompt_styles.h"
#include "support/scratch_dir.h"
#include "uikit/automation.h"
#include "uikit/control.h"
#include "utils/process.h"

namespace {

using namespace SkinUI;

constexpr int kWait = 5000;       // ms; only a bound
constexpr int kMaxTurns = 500;    // checks of the screen while a prompt opens
constexpr Size kPromptSize{360, 180};
// Client points of the 360 x 180 prompt layouts.
constexpr Point kOkEdge{176, 140};     // inside "okBtn", away from its text
constexpr Point kWhiteArea{10, 100};  // the prompts' white body

bool IsWhite(Argb c) { return (c & 0xF0F0F0u) == 0xF0F0F0u; }

// Screen pixels at `origin` + the points, or false when off screen.
bool ScreenShows(Point origin, const std::function<bool(const Bitmap&, Point)>& test) {
  const Bitmap screen = Automation::CaptureScreen();
  if (screen.IsEmpty() || origin.x < 0 || origin.y < 0 || origin.x + kPromptSize.cx > screen.width ||
      origin.y + kPromptSize.cy > screen.height)
    return false;
  return test(screen, origin);
}

// An ExitTipWnd-like prompt is up at `origin`: its body white, its "okBtn"
// drawn (the owner's layout has only white there).
bool ButtonsShown(Point origin) {
  return ScreenShows(origin, [](const Bitmap& s, Point o) {
    return IsWhite(s.At(o.x + kWhiteArea.x, o.y + kWhiteArea.y)) && !IsWhite(s.At(o.x + kOkEdge.x, o.y + kOkEdge.y));
  });
}

// Bands of rows with dark (text) pixels inside the text label's area, each
// with the columns its dark pixels span.
struct Band {
  int left = 1 << 20;
  int right = -1;
};
std::vector<Band> TextBands(Point origin) {
  std::vector<Band> bands;
  ScreenShows(origin, [&](const Bitmap& s, Point o) {
    bool inBand = false;
    for (int y = 36; y < kPromptSize.cy - 10; ++y) {
      Band row;
      for (int x = 20; x < kPromptSize.cx - 20; ++x) {
        if ((s.At(o.x + x, o.y + y) & 0xFF) >= 0x80) continue;
        row.left = std::min(row.left, x);
        row.right = std::max(row.right, x);
      }
      const bool dark = row.right >= 0;
      if (dark && !inBand) bands.push_back(row);
      if (dark && inBand) {
        bands.back().left = std::min(bands.back().left, row.left);
        bands.back().right = std::max(bands.back().right, row.right);
      }
      inBand = dark;
    }
    return true;
  });
  return bands;
}

// A shown window of the prompt's size that the prompt covers exactly when
// centred over it; its posted messages drive the test from inside the
// prompt's modal run.
class Owner : public CMessageBoxWnd {
 public:
  Owner() : CMessageBoxWnd("MessageBox1Wnd.xml") {}
  std::function<void(unsigned)> onMessage;
  std::vector<unsigned> messages;

  Point Origin() const {
    const Rect r = Host().WindowRect();
    return Point{r.left, r.top};
  }
  // Reposts itself until `ready` holds (bounded), then runs `act` once.
  void WhenReady(std::function<bool()> ready, std::function<void()> act) {
    // Shared: the handler runs as a copy.
    auto turns = std::make_shared<int>(0);
    onMessage = [this, ready, act, turns](unsigned) {
      if (!ready() && ++*turns < kMaxTurns) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        PostCustomMessage(kFirstPostedMessage);
        return;
      }
      onMessage = nullptr;
      act();
    };
    PostCustomMessage(kFirstPostedMessage);
  }

 protected:
  intptr_t OnCustomMessage(unsigned message, uintptr_t, intptr_t, bool* handled) override {
    messages.push_back(message);
    if (onMessage) {
      auto f = onMessage;  // may replace itself
      f(message);
    }
    *handled = true;
    return 0;
  }
};

class PromptTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(owner.Create(nullptr, L"owner"));
    owner.Host().Move(Point{120, 120});
    owner.ShowWindow();
    ASSERT_TRUE(Automation::WaitFor(
        [&] { return ScreenShows(owner.Origin(), [](const Bitmap& s, Point o) {
                return IsWhite(s.At(o.x + kWhiteArea.x, o.y + kWhiteArea.y)); }); },
        kWait));
  }
  // A real click on the named control of the prompt, the newest window.
  static void ClickOn(const std::string& name) { EXPECT_TRUE(Automation::ClickControl(name)) << name; }
  // The ExitTipWnd answered by a click on `button` once it is on screen.
  int ExitTipAnsweredBy(const std::string& button) {
    owner.WhenReady([&] { return ButtonsShown(owner.Origin()); }, [button] { ClickOn(button); });
    return ShowPrompt(&owner.Host(), "ExitTipWnd.xml", std::nullopt, std::nullopt);
  }
  Owner owner;
};

TEST_F(PromptTest, ExitTipAnswersZeroForYesOneForNoAndTwoForItsCloseButton) {
  std::string faults = "not checked";
  owner.WhenReady([&] { return ButtonsShown(owner.Origin()); },
                  [&] {
                    // The prompt is the newest window: owned, out of the taskbar.
                    faults = prompt_test::PromptStyleFaults(WindowImplBase::LiveWindows().back()->Host(), owner.Host());
                    ClickOn("okBtn");
                  });
  EXPECT_EQ(ShowPrompt(&owner.Host(), "ExitTipWnd.xml", std::nullopt, std::nullopt), kPromptOk);
  EXPECT_EQ(faults, "");
  EXPECT_EQ(ExitTipAnsweredBy("okBtn"), kPromptOk);
  EXPECT_TRUE(owner.Host().IsEnabled());
  EXPECT_EQ(ExitTipAnsweredBy("cancelBtn"), kPromptCancel);
  // Closing by its title button is not "yes": the installer keeps running.
  EXPECT_EQ(ExitTipAnsweredBy("closebtn"), kPromptOther);
  EXPECT_TRUE(owner.Host().IsEnabled());
  EXPECT_TRUE(owner.Host().IsAlive());
}

TEST_F(PromptTest, EscapeLeavesThePromptOpen) {
  bool stillOpen = false;
  owner.WhenReady([&] { return ButtonsShown(owner.Origin()); },
                  [&] {
                    ASSERT_TRUE(Automation::PressKey(kKeyEscape));
                    // Give the key time to arrive, then look again.
                    auto turns = std::make_shared<int>(0);
                    owner.WhenReady([turns] { return ++*turns > 30; },
                                    [&] {
                                      stillOpen = ButtonsShown(owner.Origin());
                                      ClickOn("cancelBtn");
                                    });
                  });
  EXPECT_EQ(ShowPrompt(&owner.Host(), "ExitTipWnd.xml", std::nullopt, std::nullopt), kPromptCancel);
  EXPECT_TRUE(stillOpen);
}

TEST_F(PromptTest, ALongTextWrapsOverSeveralCentredLines) {
  const std::string text =
      "当前网络环境较差，请在网络通畅时进行重试。安装程序会保留已经下载的内容，下次启动时从中断的位置继续。";
  std::vector<Band> bands;
  Rect label;
  owner.WhenReady([&] { return TextBands(owner.Origin()).size() > 1; },
                  [&] {
                    bands = TextBands(owner.Origin());
                    EXPECT_TRUE(Automation::FindControl("textLbl", &label));
                    ClickOn("closebtn");
                  });
  EXPECT_EQ(ShowPrompt(&owner.Host(), "MessageBox1Wnd.xml", text, std::string("提示")), kPromptOther);
  ASSERT_GT(bands.size(), 1u);
  // Every line, the short last one too, sits in the middle of the label
  // (its ink, that is: a full stop inks only the left of its cell).
  const int middle = (label.left + label.right) / 2 - owner.Origin().x;
  for (const Band& b : bands) EXPECT_NEAR((b.left + b.right) / 2, middle, 8) << b.left << ".." << b.right;
  EXPECT_LT(bands.back().right - bands.back().left, bands.front().right - bands.front().left);
}

TEST_F(PromptTest, TheOwnersPostedMessagesAreHandledWhileThePromptIsOpen) {
  bool handledWhileOpen = false, ownerDisabled = false;
  owner.WhenReady([&] { return ButtonsShown(owner.Origin()); },
                  [&] {
                    // A worker's notification, as the pipeline sends them.
                    owner.onMessage = [&](unsigned m) {
                      if (m != kFirstPostedMessage + 7) return;
                      owner.onMessage = nullptr;
                      handledWhileOpen = ButtonsShown(owner.Origin());
                      ownerDisabled = !owner.Host().IsEnabled();
                      ClickOn("okBtn");
                    };
                    std::thread worker([&] { EXPECT_TRUE(owner.PostCustomMessage(kFirstPostedMessage + 7)); });
                    worker.join();
                  });
  EXPECT_EQ(ShowPrompt(&owner.Host(), "ExitTipWnd.xml", std::nullopt, std::nullopt), kPromptOk);
  EXPECT_TRUE(handledWhileOpen);
  EXPECT_TRUE(ownerDisabled);
  EXPECT_TRUE(owner.Host().IsEnabled());
}

// The prompt program (tests/fixtures/prompt) as a child: its own window,
// centred on the work area, answered by a click on the screen.
struct ToolRun {
  std::string out;
  uint32_t exitCode = 0;
  bool ended = false;
};

ToolRun RunPrompt(const std::wstring& args, const std::function<void()>& drive) {
  ToolRun run;
  Utils::PipedProcess child;
  child.Start(quillon_test::Quoted(quillon_test::BuiltProgram(L"tools", L"prompt")) + L" " + args);
  if (drive) drive();
  std::string buffer(256, '\0');
  for (int i = 0; i < 300; ++i) {
    size_t got = 0;
    const auto status = child.ReadOutputFor(&buffer[0], buffer.size(), &got, 100);
    if (status == Utils::PipedProcess::ReadStatus::kData) run.out.append(buffer.data(), got);
    if (status == Utils::PipedProcess::ReadStatus::kEnded) break;
  }
  run.ended = child.WaitFor(kWait, &run.exitCode);
  if (!run.ended) child.Terminate();
  return run;
}

TEST(PromptTool, PrintsAndExitsWithTheAnswerAndRefusesAnUnknownLayout) {
  const Rect work = WindowHost::WorkArea();
  const Point origin{work.left + (work.right - work.left - kPromptSize.cx) / 2,
                     work.top + (work.bottom - work.top - kPromptSize.cy) / 2};
  const ToolRun yes = RunPrompt(L"ExitTipWnd.xml", [&] {
    ASSERT_TRUE(Automation::WaitFor([&] { return ButtonsShown(origin); }, kWait));
    // Another process's window: its "okBtn" by its place in the layout.
    ASSERT_TRUE(Automation::ClickScreen(Point{origin.x + 210, origin.y + 146}));
  });
  ASSERT_TRUE(yes.ended);
  EXPECT_EQ(yes.exitCode, 0u);
  EXPECT_EQ(yes.out.substr(0, 1), "0");

  const ToolRun bad = RunPrompt(L"NoSuchWnd.xml", nullptr);
  ASSERT_TRUE(bad.ended);
  EXPECT_EQ(bad.exitCode, 1u);
  EXPECT_EQ(bad.out, "");
}

}  // namespace
