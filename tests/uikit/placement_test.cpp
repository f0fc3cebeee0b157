// Where windows, prompts and drop-down lists land on screens laid out side
// by side: the monitors are given here, as a test machine has one screen.
#include <gtest/gtest.h>

#include "uikit/window_host.h"

namespace SkinUI {
namespace {

// A 1920 x 1080 screen with a task bar at its bottom, and a 1280 x 1024
// screen to its right whose dock is on its left.
const std::vector<MonitorArea> kTwoScreens = {
    {Rect{0, 0, 1920, 1080}, Rect{0, 0, 1920, 1040}},
    {Rect{1920, 0, 3200, 1024}, Rect{1980, 0, 3200, 1024}},
};

TEST(Placement, AWindowBelongsToTheMonitorHoldingMostOfIt) {
  EXPECT_EQ(MonitorHolding(kTwoScreens, Rect{100, 100, 700, 500}), 0);
  EXPECT_EQ(MonitorHolding(kTwoScreens, Rect{2000, 100, 2600, 500}), 1);
  // Across the seam: the larger part decides.
  EXPECT_EQ(MonitorHolding(kTwoScreens, Rect{1800, 100, 2400, 500}), 1);
  EXPECT_EQ(MonitorHolding(kTwoScreens, Rect{1500, 100, 2100, 500}), 0);
  // Off every screen (below the shorter one): the nearest.
  EXPECT_EQ(MonitorHolding(kTwoScreens, Rect{2500, 1100, 2600, 1200}), 1);
  EXPECT_EQ(MonitorHolding(kTwoScreens, Rect{-900, 300, -100, 600}), 0);
  EXPECT_EQ(MonitorHolding({}, Rect{0, 0, 10, 10}), -1);
}

TEST(Placement, APromptIsCentredOverItsOwnerAndKeptOnTheOwnersWorkArea) {
  // The owner on the second screen: the prompt opens there, centred.
  const Rect owner{2200, 300, 2800, 700};
  const Rect work = kTwoScreens[static_cast<size_t>(MonitorHolding(kTwoScreens, owner))].work;
  EXPECT_EQ(CenteredInside(owner, Size{300, 200}, work), (Point{2350, 400}));
  // An owner dragged against the dock: the prompt stays off the dock.
  const Rect atDock{1990, 300, 2190, 500};
  EXPECT_EQ(CenteredInside(atDock, Size{400, 200}, kTwoScreens[1].work), (Point{1980, 300}));
  // Near the first screen's task bar, it stays above the task bar.
  EXPECT_EQ(CenteredInside(Rect{100, 900, 700, 1300}, Size{300, 200}, kTwoScreens[0].work), (Point{250, 840}));
  // Larger than the area: its top-left corner stays on the area.
  EXPECT_EQ(CenteredInside(Rect{0, 0, 100, 100}, Size{4000, 2000}, kTwoScreens[0].work), (Point{0, 0}));
}

TEST(Placement, TheDropDownOpensBelowOrAboveWhereThereIsRoomAndStaysOnTheScreen) {
  const Rect work = kTwoScreens[0].work;
  const Rect box{400, 500, 520, 526};
  EXPECT_EQ(DropDownPlace(box, Size{120, 74}, work), (Point{400, 526}));
  // Near the task bar: above the box.
  const Rect low{400, 1000, 520, 1026};
  EXPECT_EQ(DropDownPlace(low, Size{120, 74}, work), (Point{400, 926}));
  // No room either way: below, where the list starts at the box.
  EXPECT_EQ(DropDownPlace(Rect{400, 40, 520, 66}, Size{120, 1100}, work), (Point{400, 66}));
  // A box at the right edge keeps a wider list on the screen.
  EXPECT_EQ(DropDownPlace(Rect{1850, 500, 1920, 526}, Size{200, 74}, work), (Point{1720, 526}));
}

}  // namespace
}  // namespace SkinUI
