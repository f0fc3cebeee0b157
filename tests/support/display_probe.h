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

// Waits (at most `timeoutMs`) until windows with per-pixel alpha are
// blended: on X, until a compositor owns the screen's _NET_WM_CM_S<n>
// selection (the compositor a test starts beside it can take seconds on a
// loaded machine); on Windows at once. Whether they are.
bool WaitForCompositor(int timeoutMs);

}  // namespace quillon_test
