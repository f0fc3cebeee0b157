#include "uikit/paint_manager.h"

#include <gtest/gtest.h>

#include "uikit/button.h"
#include "uikit/container.h"
#include "uikit/dialog_builder.h"
#include "uikit/edit.h"
#include "uikit/label.h"
#include "notify_log.h"

namespace SkinUI {
namespace {

constexpr Argb kRed = 0xFFFF0000, kGreen = 0xFF00FF00, kBlue = 0xFF0000FF, kGrey = 0xFF808080;

Bitmap Solid(Argb c, int w = 4, int h = 4) {
  Bitmap b;
  b.width = w;
  b.height = h;
  b.pixels.assign(static_cast<size_t>(w) * h, c);
  return b;
}

// A 200 x 100 window: grey background, a 60 x 30 button at (20, 40) whose
// normal image is red, hot green and pushed blue; its disabled image is
// missing from the package.
class PaintManagerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pm_.Images().Put("n.png", Solid(kRed));
    pm_.Images().Put("h.png", Solid(kGreen));
    pm_.Images().Put("p.png", Solid(kBlue));
    pm_.AddNotifier(&log_);
    CDialogBuilder b;
    auto root = b.CreateFromString(
        R"(<Window size="200,100" caption="0,0,0,35">
  <VerticalLayout bkcolor="#FF808080">
    <HorizontalLayout height="35"><Label name="title" width="100"/><Button name="tbtn" width="30"/>
      <CheckBox name="tcb" width="30"/></HorizontalLayout>
    <HorizontalLayout height="30" padding="0,5,0,0">
      <Control width="20"/>
      <Button name="btn" width="60" normalimage="n.png" hotimage="h.png" pushedimage="p.png"
              disabledimage="missing.png"/>
      <Edit name="edit" width="50"/>
    </HorizontalLayout>
    <Control/>
  </VerticalLayout>
</Window>)",
        nullptr, &pm_);
    ASSERT_NE(root, nullptr) << b.GetLastError();
    pm_.SetClientSize(pm_.Window().size);
    pm_.AttachRoot(std::move(root));
    btn_ = static_cast<Button*>(pm_.FindControl("btn"));
    ASSERT_EQ(btn_->GetPos(), (Rect{20, 40, 80, 70}));
    target_ = Solid(0, 200, 100);
    surface_ = std::make_unique<Surface>(target_);
    pm_.Paint(*surface_);
  }
  Argb At(int x, int y) const { return surface_->Pixel(x, y); }

  CPaintManagerUI pm_;
  NotifyLog log_;
  Button* btn_ = nullptr;
  Bitmap target_;
  std::unique_ptr<Surface> surface_;
};

TEST_F(PaintManagerTest, HoverDrawsTheHotImageAndRepaintsOnlyTheButton) {
  EXPECT_EQ(At(50, 55), kRed);
  EXPECT_EQ(At(5, 90), kGrey);
  surface_->ClearRect({0, 80, 200, 100}, kBlue);  // outside anything that becomes dirty
  pm_.MouseMove({50, 55});
  EXPECT_EQ(pm_.GetHot(), btn_);
  ASSERT_EQ(pm_.DirtyRects().size(), 1u);
  EXPECT_EQ(pm_.DirtyRects()[0], btn_->GetPos());
  const std::vector<Rect> painted = pm_.Paint(*surface_);
  EXPECT_EQ(painted, std::vector<Rect>{btn_->GetPos()});
  EXPECT_EQ(At(50, 55), kGreen);
  EXPECT_EQ(At(5, 90), kBlue);  // not repainted
  pm_.MouseDown({50, 55});
  pm_.Paint(*surface_);
  EXPECT_EQ(At(50, 55), kBlue);
  pm_.MouseUp({50, 55});
  pm_.MouseMove({150, 90});
  pm_.Paint(*surface_);
  EXPECT_EQ(At(50, 55), kRed);
  EXPECT_TRUE(pm_.Paint(*surface_).empty());
}

TEST_F(PaintManagerTest, AMissingDisabledImageDrawsNothing) {
  btn_->SetEnabled(false);
  pm_.Paint(*surface_);
  EXPECT_EQ(At(50, 55), kGrey);
  pm_.MouseMove({50, 55});
  pm_.MouseDown({50, 55});
  pm_.MouseUp({50, 55});
  EXPECT_TRUE(log_.Types().empty());
}

TEST_F(PaintManagerTest, ClickOrderAndReleaseOutside) {
  pm_.MouseMove({50, 55});
  pm_.MouseDown({50, 55});
  pm_.MouseUp({50, 55});
  EXPECT_EQ(log_.Types(), (std::vector<std::string>{"setfocus:btn", "click:btn"}));
  log_.Clear();
  pm_.MouseDown({50, 55});
  pm_.MouseMove({150, 55});
  EXPECT_FALSE(btn_->IsPushed());
  pm_.MouseUp({150, 55});
  EXPECT_TRUE(log_.Types().empty());
  // A press elsewhere moves the focus to the edit box.
  pm_.MouseDown({100, 55});
  pm_.MouseUp({100, 55});
  EXPECT_EQ(log_.Types(), (std::vector<std::string>{"killfocus:btn", "setfocus:edit"}));
}

TEST_F(PaintManagerTest, KeysPassTheFiltersFirst) {
  struct EscapeEater : IMessageFilterUI {
    std::vector<int> seen;
    bool FilterKeyDown(int key) override {
      seen.push_back(key);
      return key == 27;
    }
  } filter;
  pm_.AddMessageFilter(&filter);
  pm_.SetFocus(btn_);
  log_.Clear();
  EXPECT_TRUE(pm_.KeyDown(27));
  EXPECT_TRUE(pm_.KeyDown(13));
  EXPECT_EQ(filter.seen, (std::vector<int>{27, 13}));
  EXPECT_EQ(log_.Types(), (std::vector<std::string>{"click:btn"}));
  pm_.RemoveMessageFilter(&filter);
}

TEST_F(PaintManagerTest, CaptionBandDragsExceptOverClickableControls) {
  EXPECT_EQ(pm_.HitTestWindow({50, 10}, false), HitArea::Caption);   // label
  EXPECT_EQ(pm_.HitTestWindow({110, 10}, false), HitArea::Client);   // button
  EXPECT_EQ(pm_.HitTestWindow({140, 10}, false), HitArea::Client);   // check box
  EXPECT_EQ(pm_.HitTestWindow({180, 10}, false), HitArea::Caption);  // layout
  EXPECT_EQ(pm_.HitTestWindow({50, 55}, false), HitArea::Client);
}

TEST_F(PaintManagerTest, TimersFollowTheClock) {
  pm_.SetTimer(btn_, 7, 30);
  pm_.SetTimer(btn_, 8, 50);
  pm_.AdvanceClock(29);
  EXPECT_TRUE(log_.messages.empty());
  pm_.AdvanceClock(31);
  std::vector<std::pair<uintptr_t, uint64_t>> fired;
  for (const Notification& m : log_.messages) {
    EXPECT_EQ(m.type, "timer");
    fired.emplace_back(m.wParam, m.timestamp);
  }
  EXPECT_EQ(fired, (std::vector<std::pair<uintptr_t, uint64_t>>{{7, 30}, {8, 50}, {7, 60}}));
  log_.Clear();
  EXPECT_TRUE(pm_.KillTimer(btn_, 7));
  EXPECT_FALSE(pm_.KillTimer(btn_, 7));
  EXPECT_EQ(pm_.NextTimerDelay(), 40);
  // The host's clock: a late check fires a timer once.
  pm_.FireDueTimers(1000);
  ASSERT_EQ(log_.messages.size(), 1u);
  EXPECT_EQ(log_.messages[0].wParam, 8u);
  EXPECT_EQ(pm_.NextTimerDelay(), 50);
  EXPECT_FALSE(pm_.SetTimer(btn_, 9, 0));
}

TEST_F(PaintManagerTest, DestroyedOrHiddenControlsLeaveNoStateBehind) {
  pm_.SetTimer(btn_, 1, 10);
  pm_.MouseMove({50, 55});
  pm_.SetFocus(btn_);
  auto* row = static_cast<Container*>(btn_->GetParent());
  row->SetVisible(false);
  EXPECT_EQ(pm_.GetHot(), nullptr);
  EXPECT_EQ(pm_.GetFocus(), nullptr);
  row->Remove(btn_);
  EXPECT_FALSE(pm_.HasTimer(btn_, 1));
  log_.Clear();
  pm_.AdvanceClock(100);
  EXPECT_TRUE(log_.messages.empty());
}

TEST_F(PaintManagerTest, PostedNotificationsArriveInOrderWhenProcessed) {
  Control* root = pm_.GetRoot();
  pm_.PostNotify(root, "install", 1);
  pm_.PostNotify(root, "checknet", 2);
  EXPECT_TRUE(log_.messages.empty());
  EXPECT_EQ(pm_.ProcessPostedNotifications(), 2);
  ASSERT_EQ(log_.messages.size(), 2u);
  EXPECT_EQ(log_.messages[0].type, "install");
  EXPECT_EQ(log_.messages[1].wParam, 2u);
}

TEST_F(PaintManagerTest, DirtyRectanglesMergeWhenTheyTouch) {
  pm_.Invalidate({0, 0, 10, 10});
  pm_.Invalidate({10, 0, 20, 10});
  pm_.Invalidate({100, 50, 110, 60});
  pm_.Invalidate({-50, -50, -1, -1});
  ASSERT_EQ(pm_.DirtyRects().size(), 2u);
  EXPECT_EQ(pm_.DirtyRects()[0], (Rect{0, 0, 20, 10}));
  EXPECT_EQ(pm_.DirtyRects()[1], (Rect{100, 50, 110, 60}));
}

}  // namespace
}  // namespace SkinUI
