// Driving the installer's windows from outside, as a user does: find the
// window on the screen, click a control of its layout at the control's
// place (the layout built from the skin linked into the calling program,
// the way the window builds it), read the screen back. Used by the
// end-to-end tests, the demo and the benchmarks (tests/setup_pilot).
//
// Every wait is bounded. The calling program must link the skin
// (skinui_embed_skin).
#pragma once

#include <string>

#include "support/screen_window.h"
#include "uikit/geometry.h"

namespace quillon_test {

// The main window and the prompts, as the installer titles and names them.
constexpr wchar_t kMainTitle[] = L"Quillon";
constexpr char kMainClass[] = "MainWnd";
constexpr wchar_t kPromptTitle[] = L"消息框";
constexpr char kMainLayout[] = "MainWnd.xml";

// `control`'s rectangle in client coordinates of `layout` laid out at its
// size at the display scale `dpi`, with page `page` of "mainTabLt" selected (-1: as built). False
// when the control is missing or hidden there.
bool LayoutRect(const std::string& layout, const std::string& control, int page, SkinUI::Rect* rect,
                int dpi = SkinUI::kBaseDpi);
// The display scale a window of the layout shows at, told by its width.
int WindowDpi(const std::string& layout, const ScreenRect& window);

// Waits until the window is shown and something is drawn in it.
bool WaitForWindow(const std::wstring& title, const std::string& className, int timeoutMs, ScreenRect* rect);
// Waits until no such window is shown.
bool WaitForNoWindow(const std::wstring& title, const std::string& className, int timeoutMs);

// A real click at the centre of the control, in the window at `window`
// (laid out at the scale the window's width shows).
bool ClickControl(const ScreenRect& window, const std::string& layout, const std::string& control, int page);

// Types text with real key presses into whatever has the keyboard focus.
bool TypeText(const std::string& text);

// The screen's pixels inside `area` as an RGBA PNG file.
bool SaveScreenPng(const ScreenRect& area, const std::string& path);
// How many distinct colours the screen shows inside `area` (up to `cap`).
int ScreenColours(const ScreenRect& area, int cap = 64);

}  // namespace quillon_test
