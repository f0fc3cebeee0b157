#include <SDL.h>

#include "ui/main_wnd.h"
#include "utils/probe.h"

// The desktop takes the icon from the application's desktop entry.
void CMainWnd::SetWindowIcon() {}

void CMainWnd::BringToFront() {
  if (auto* window = static_cast<SDL_Window*>(Host().NativeHandle())) {
    SDL_RestoreWindow(window);
    SDL_RaiseWindow(window);
  }
}

int32_t CMainWnd::RunNetworkCheck() { return Utils::CheckNetwork(); }
