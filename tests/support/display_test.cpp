// A test that asks for a display runs on an X server of its own, started
// for it and ended with it; this checks that such a server is there and is
// the one started for the test (its screen has the size asked for).
#include <gtest/gtest.h>

#include <cstdlib>

#include "support/display_probe.h"

TEST(OwnDisplay, IsThereWithTheRequestedScreen) {
  const char* display = std::getenv("DISPLAY");
  ASSERT_NE(display, nullptr);
  EXPECT_EQ(display[0], ':') << "a local server, not a forwarded one: " << display;
  const quillon_test::ScreenSize size = quillon_test::OpenScreen();
  EXPECT_EQ(size.width, 1280);
  EXPECT_EQ(size.height, 800);
  EXPECT_TRUE(quillon_test::CanShowWindow());
}
