// What the test's display offers, asked the way the platform's windows ask.
#pragma once

namespace quillon_test {

struct ScreenSize {
  int width = 0;
  int height = 0;
};

// The default screen's size in pixels; 0 x 0 when no display can be opened.
ScreenSize OpenScreen();

// Creates, shows and destroys a small top-level window; whether it was shown.
bool CanShowWindow();

}  // namespace quillon_test
