// The frame-sequence controls on a real paint manager: the frame orders as
// the timer plays them on the manager's clock, their attributes as markup
// sets them, refused patterns, and the frames as they are painted.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/sequence_controls.h"
#include "uikit/container.h"
#include "uikit/dialog_builder.h"
#include "uikit/paint_manager.h"
#include "uikit/png.h"
#include "uikit/surface.h"

namespace SkinUI {
namespace {

struct Recorder : INotifyUI {
  std::vector<uintptr_t> timerIds;
  void Notify(Notification& msg) override {
    if (msg.type == "timer") timerIds.push_back(msg.wParam);
  }
};

// A 100x100 window whose root holds the one control, attached (so OnInit
// has run) on the manager's test clock.
template <class C>
struct Stage {
  CPaintManagerUI pm;
  C* control = new C;
  Stage() {}
  void Attach() {
    auto root = std::make_unique<VerticalLayout>();
    control->SetName("seq");
    root->Add(control);
    pm.SetClientSize({100, 100});
    pm.AttachRoot(std::move(root));
  }
  // The background image after each of n spans.
  std::vector<std::string> Play(int n) {
    std::vector<std::string> shown;
    for (int i = 0; i < n; ++i) {
      pm.AdvanceClock(static_cast<uint64_t>(control->GetSequenceSpan()));
      shown.push_back(control->GetBkImage().text);
    }
    return shown;
  }
};

std::vector<std::string> Names(const std::vector<int>& frames) {
  std::vector<std::string> out;
  for (int f : frames) out.push_back("f" + std::to_string(f) + ".png");
  return out;
}

TEST(FrameName, TheOneIntegerConversionIsFilledInAsPrintfWould) {
  const struct {
    const char* pattern;
    unsigned frame;
    const char* name;
  } ok[] = {
      {"res\\mainWnd\\installBtnAnimate\\%.3d.png", 7, "res\\mainWnd\\installBtnAnimate\\007.png"},
      {"f%.3d.png", 1234, "f1234.png"},
      {"f%d.png", 42, "f42.png"},
      {"f%i", 0, "f0"},
      {"%03d.png", 5, "005.png"},
      {"%3d.png", 5, "  5.png"},
      {"%05.3d", 5, "  005"},
      {"%.0d.png", 0, ".png"},
  };
  for (const auto& c : ok) {
    std::string name;
    ASSERT_TRUE(FormatFrameName(c.pattern, c.frame, &name)) << c.pattern;
    EXPECT_EQ(name, c.name) << c.pattern;
  }
  const char* refused[] = {"plain.png", "%s.png",   "%d%d.png",  "%d-%%.png", "%n",    "%x.png", "%ld.png",
                           "%-3d.png",  "%+d.png",  "% d.png",   "%*d.png",   "%1000d", "%.1000d", "%",
                           "f%.3",      "%#d.png", "%lld.png",  "%.3d%s"};
  for (const char* p : refused) {
    std::string name = "untouched";
    EXPECT_FALSE(FormatFrameName(p, 1, &name)) << p;
    EXPECT_EQ(name, "untouched") << p;
  }
  // The name limit counts characters, not UTF-8 bytes, and covers the widest
  // frame number.
  std::string han;
  for (int i = 0; i < 250; ++i) han += "\xE5\xB8\xA7";  // one character, three bytes
  std::string name;
  EXPECT_TRUE(FormatFrameName(han + "%d", 1, &name));
  EXPECT_FALSE(FormatFrameName(han + "x%d", 1, &name));
  EXPECT_FALSE(FormatFrameName(std::string(200, 'a') + "%.100d", 1, &name));
}

TEST(SequenceAttributes, MarkupSetsTheStateWithItsOwnCaseRules) {
  CSequenceLabelUI l;
  EXPECT_EQ(l.GetSequenceSpan(), 30);
  EXPECT_FALSE(l.Sequence().IsRound());
  EXPECT_TRUE(l.Sequence().loop);
  EXPECT_FALSE(l.Sequence().autoStart);
  l.SetAttribute("SequenceCount", "60");
  l.SetAttribute("SEQUENCESPAN", "45");
  l.SetAttribute("sequenceRound", "yes");
  l.SetAttribute("AutoStart", "False");  // only the exact "false" turns it off
  l.SetAttribute("sequenceloop", "false");
  l.SetAttribute("sequencebkimage", "res\\a\\%.3d.png");
  EXPECT_EQ(l.GetSequenceCount(), 60);
  EXPECT_EQ(l.GetSequenceSpan(), 45);
  EXPECT_TRUE(l.Sequence().IsRound());
  EXPECT_TRUE(l.Sequence().autoStart);
  EXPECT_FALSE(l.Sequence().loop);
  EXPECT_EQ(l.GetSequenceImage(), "res\\a\\%.3d.png");
  // The pattern's name is matched as written; other case goes nowhere.
  l.SetAttribute("SequenceBkImage", "res\\b\\%d.png");
  EXPECT_EQ(l.GetSequenceImage(), "res\\a\\%.3d.png");
  ASSERT_NE(l.GetCustomAttribute("SequenceBkImage"), nullptr);
  // Bad numbers and patterns keep what was there.
  l.SetAttribute("sequencecount", "-1");
  l.SetAttribute("sequencecount", "six");
  l.SetAttribute("sequencespan", "0");
  l.SetAttribute("sequencebkimage", "res\\%s%d.png");
  EXPECT_EQ(l.GetSequenceCount(), 60);
  EXPECT_EQ(l.GetSequenceSpan(), 45);
  EXPECT_EQ(l.GetSequenceImage(), "res\\a\\%.3d.png");
  // The label's own attributes still apply.
  l.SetAttribute("textcolor", "#FF102030");
  EXPECT_EQ(l.GetTextColor(), 0xFF102030u);
  EXPECT_EQ(l.GetClass(), "SequenceLabel");
  EXPECT_EQ(l.GetInterface("SequenceLabel"), &l);
  EXPECT_EQ(l.GetInterface("Label"), &l);
  EXPECT_EQ(l.GetInterface("SequenceButton"), nullptr);

  CSequenceButtonUI b;
  EXPECT_EQ(b.GetSequenceSpan(), 60);
  EXPECT_TRUE(b.Sequence().IsRound());
  EXPECT_TRUE(b.Sequence().loop);
  b.SetAttribute("normalimage", "res\\n.png");
  EXPECT_EQ(b.GetNormalImage().text, "res\\n.png");
  EXPECT_EQ(b.GetClass(), "SequenceButton");
  EXPECT_EQ(b.GetInterface("Button"), &b);
  EXPECT_EQ(b.GetInterface("SequenceLabel"), nullptr);
}

TEST(SequenceBuilder, TheFactoryCreatesBothClassesFromMarkup) {
  struct Other : IDialogBuilderCallback {
    std::vector<std::string> asked;
    Control* CreateControl(const std::string& name) override {
      asked.push_back(name);
      return nullptr;
    }
  } other;
  SequenceControlFactory factory(&other);
  CPaintManagerUI pm;
  CDialogBuilder builder;
  std::unique_ptr<Control> root = builder.CreateFromString(
      R"(<Window size="100,100"><VerticalLayout>
           <SequenceLabel name="spin" sequencebkimage="res\mainWnd\installBtnAnimate\%.3d.png" sequencecount="60"
                          sequencespan="30" sequenceloop="true" sequenceround="false" autostart="true"/>
           <sequencebutton name="btn" sequencecount="3"/>
           <Mystery name="m"/>
         </VerticalLayout></Window>)",
      &factory, &pm);
  ASSERT_NE(root, nullptr) << builder.GetLastError();
  EXPECT_EQ(other.asked, (std::vector<std::string>{"Mystery"}));
  pm.SetClientSize({100, 100});
  pm.AttachRoot(std::move(root));
  auto* spin = static_cast<CSequenceLabelUI*>(pm.FindControl("spin")->GetInterface("SequenceLabel"));
  ASSERT_NE(spin, nullptr);
  EXPECT_EQ(spin->GetSequenceCount(), 60);
  // Auto start arms timer 2100 at initialisation; the button was not asked to.
  EXPECT_TRUE(pm.HasTimer(spin, kSequenceTimerId));
  Control* btn = pm.FindControl("btn");
  ASSERT_NE(btn->GetInterface("SequenceButton"), nullptr);
  EXPECT_FALSE(pm.HasTimer(btn, kSequenceTimerId));
  EXPECT_EQ(CreateSequenceControl("Label"), nullptr);
}

TEST(SequencePlay, ALabelOfSixtyFramesCyclesEveryThirtyMillisecondsAndWraps) {
  Stage<CSequenceLabelUI> s;
  s.control->SetAttribute("sequencebkimage", "res\\mainWnd\\installBtnAnimate\\%.3d.png");
  s.control->SetAttribute("sequencecount", "60");
  s.control->SetAttribute("sequencespan", "30");
  s.control->SetAttribute("sequenceround", "false");
  s.control->SetAttribute("autostart", "true");
  Recorder rec;
  s.pm.AddNotifier(&rec);
  s.Attach();
  ASSERT_TRUE(s.pm.HasTimer(s.control, kSequenceTimerId));
  s.pm.AdvanceClock(29);
  EXPECT_EQ(s.control->GetBkImage().text, "");
  s.pm.AdvanceClock(1);
  EXPECT_EQ(s.control->GetBkImage().text, "res\\mainWnd\\installBtnAnimate\\000.png");
  const std::vector<std::string> shown = s.Play(61);
  EXPECT_EQ(shown[0], "res\\mainWnd\\installBtnAnimate\\001.png");
  EXPECT_EQ(shown[58], "res\\mainWnd\\installBtnAnimate\\059.png");
  EXPECT_EQ(shown[59], "res\\mainWnd\\installBtnAnimate\\000.png");
  EXPECT_EQ(shown[60], "res\\mainWnd\\installBtnAnimate\\001.png");
  EXPECT_TRUE(s.pm.HasTimer(s.control, kSequenceTimerId));
  // The base class still hears every tick.
  EXPECT_EQ(rec.timerIds.size(), 62u);
  s.pm.RemoveNotifier(&rec);
}

TEST(SequencePlay, AButtonAtItsDefaultsGoesBackAndForth) {
  Stage<CSequenceButtonUI> s;
  s.control->SetSequenceImage("f%d.png");
  s.control->SetSequenceCount(3);
  s.Attach();
  ASSERT_TRUE(s.control->Start());
  EXPECT_EQ(s.Play(10), Names({0, 1, 2, 1, 0, 1, 2, 1, 0, 1}));
  // Start runs from the first frame again, forward.
  ASSERT_TRUE(s.control->Start());
  EXPECT_EQ(s.Play(3), Names({0, 1, 2}));
  s.control->Stop();
  EXPECT_FALSE(s.control->IsPlaying());
  EXPECT_EQ(s.Play(2), Names({2, 2}));
}

TEST(SequencePlay, RunsWithoutLoopStopAndKeepTheirLastFrame) {
  {
    Stage<CSequenceLabelUI> s;
    s.control->SetSequenceImage("f%d.png");
    s.control->SetSequenceCount(3);
    s.control->Sequence().loop = false;
    s.Attach();
    ASSERT_TRUE(s.control->Start());
    EXPECT_EQ(s.Play(5), Names({0, 1, 2, 2, 2}));
    EXPECT_FALSE(s.pm.HasTimer(s.control, kSequenceTimerId));
    // A new start plays the run again.
    ASSERT_TRUE(s.control->Start());
    EXPECT_EQ(s.Play(1), Names({0}));
  }
  {
    // A round trip ends on the frame it started from.
    Stage<CSequenceButtonUI> s;
    s.control->SetSequenceImage("f%d.png");
    s.control->SetSequenceCount(3);
    s.control->Sequence().loop = false;
    s.Attach();
    ASSERT_TRUE(s.control->Start());
    EXPECT_EQ(s.Play(7), Names({0, 1, 2, 1, 0, 0, 0}));
    EXPECT_FALSE(s.control->IsPlaying());
  }
}

TEST(SequencePlay, DegenerateSequencesNeverShowAFrameOutsideTheCount) {
  {
    // An empty pattern never changes the image, even while the timer runs.
    Stage<CSequenceLabelUI> s;
    s.control->SetBkImage("still.png");
    s.control->SetSequenceCount(5);
    s.control->Sequence().autoStart = true;
    s.Attach();
    EXPECT_EQ(s.Play(6), std::vector<std::string>(6, "still.png"));
    EXPECT_TRUE(s.control->IsPlaying());
  }
  {
    // No frames at all: nothing to show.
    Stage<CSequenceLabelUI> s;
    s.control->SetBkImage("still.png");
    s.control->SetSequenceImage("f%d.png");
    s.Attach();
    ASSERT_TRUE(s.control->Start());
    EXPECT_EQ(s.Play(3), std::vector<std::string>(3, "still.png"));
  }
  {
    // One frame back and forth has nowhere to turn: it repeats.
    Stage<CSequenceButtonUI> s;
    s.control->SetSequenceImage("f%d.png");
    s.control->SetSequenceCount(1);
    s.Attach();
    ASSERT_TRUE(s.control->Start());
    EXPECT_EQ(s.Play(4), Names({0, 0, 0, 0}));
  }
  {
    // Back-and-forth switched off on the way back, and the count cut while
    // running: the run still turns at the first frame and stays in range.
    Stage<CSequenceButtonUI> s;
    s.control->SetSequenceImage("f%d.png");
    s.control->SetSequenceCount(5);
    s.Attach();
    ASSERT_TRUE(s.control->Start());
    EXPECT_EQ(s.Play(7), Names({0, 1, 2, 3, 4, 3, 2}));
    s.control->Sequence().SetRound(false);
    EXPECT_EQ(s.Play(4), Names({1, 0, 1, 2}));
    s.control->Sequence().SetRound(true);
    EXPECT_EQ(s.Play(3), Names({3, 4, 3}));
    s.control->SetSequenceCount(2);
    EXPECT_EQ(s.Play(3), Names({1, 0, 1}));
  }
}

TEST(SequencePlay, TheTimerFollowsTheSpanAndTheControl) {
  CPaintManagerUI pm;
  auto root = std::make_unique<Container>();
  auto* label = new CSequenceLabelUI;
  label->SetSequenceImage("f%d.png");
  label->SetSequenceCount(4);
  EXPECT_FALSE(label->Start());  // not attached: no timer to run on
  root->Add(label);
  Container* box = root.get();
  pm.AttachRoot(std::move(root));
  ASSERT_TRUE(label->Start());
  pm.AdvanceClock(30);
  EXPECT_EQ(label->GetBkImage().text, "f0.png");
  // A new span applies to the running animation.
  ASSERT_TRUE(label->SetSequenceSpan(100));
  pm.AdvanceClock(99);
  EXPECT_EQ(label->GetBkImage().text, "f0.png");
  pm.AdvanceClock(1);
  EXPECT_EQ(label->GetBkImage().text, "f1.png");
  // Destroying the label ends its timer.
  EXPECT_EQ(pm.NextTimerDelay(), 100);
  ASSERT_TRUE(box->Remove(label));
  EXPECT_EQ(pm.NextTimerDelay(), -1);
}

TEST(SequencePaint, EachTickPaintsItsFrameFromTheImageCache) {
  const uint32_t colours[] = {0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
  std::map<std::string, std::string> files;
  for (int i = 0; i < 3; ++i) {
    Bitmap b;
    b.width = b.height = 8;
    b.pixels.assign(64, colours[i]);
    files["res/anim/00" + std::to_string(i) + ".png"] = EncodePng(b);
  }
  std::vector<std::string> asked;
  Stage<CSequenceLabelUI> s;
  s.pm.SetImageLoader([&](const std::string& name, std::string* bytes) {
    asked.push_back(name);
    auto it = files.find(ImageCache::NormalizeName(name));
    if (it == files.end()) return false;
    *bytes = it->second;
    return true;
  });
  s.control->SetAttribute("sequencebkimage", "res\\anim\\%.3d.png");
  s.control->SetAttribute("sequencecount", "3");
  s.control->SetAttribute("autostart", "true");
  s.Attach();

  Bitmap canvas;
  canvas.width = canvas.height = 100;
  canvas.pixels.assign(10000, 0);
  Surface surface(canvas);
  s.pm.PaintAll(surface);
  EXPECT_TRUE(asked.empty()) << "no frame is loaded before it is shown";
  for (int tick = 0; tick < 4; ++tick) {
    s.pm.AdvanceClock(30);
    ASSERT_FALSE(s.pm.DirtyRects().empty()) << tick;
    s.pm.Paint(surface);
    ASSERT_EQ(s.control->GetPos(), (Rect{0, 0, 100, 100}));
    EXPECT_EQ(canvas.At(50, 50), colours[tick % 3]) << tick;
  }
  // Each frame was read once, by its formatted name; the fourth tick's
  // frame came from the cache.
  EXPECT_EQ(asked, (std::vector<std::string>{"res\\anim\\000.png", "res\\anim\\001.png", "res\\anim\\002.png"}));
  EXPECT_EQ(s.pm.Images().LoadCount(), 3);
}

}  // namespace
}  // namespace SkinUI
