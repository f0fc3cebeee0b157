#include <SDL.h>

#include "ui/main_wnd.h"
#include "utils/probe.h"

// The borderless SDL window has no caption or maximise box to remove, and
// the icon is the desktop's business.
void CMainWnd::ApplyWindowStyle() {}

void CMainWnd::BringToFront() {
  if (auto* window = static_cast<SDL_Window*>(Host().NativeHandle())) {
    SDL_RestoreWindow(window);
    SDL_RaiseWindow(window);
  }
}

int32_t CMainWnd::RunNetworkCheck() { return Utils::CheckNetwork(); }
