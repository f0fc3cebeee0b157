// Driving a real, shown window from tests and tools: input goes through the
// platform's own path (Windows: SendInput, so hit testing and the system's
// caption drag take part; Linux: XTest on the X server, which SDL then reads
// like a user's input), and pixels are read back from what was presented.
//
// UI thread only. Input is asynchronous: pump with WaitFor until the effect
// shows. Every wait is bounded.
#pragma once

#include <functional>
#include <string>

#include "uikit/bitmap.h"
#include "uikit/geometry.h"
#include "uikit/window_host.h"

namespace SkinUI {

class WindowImplBase;

namespace Automation {

// Where a client point of the window is on the screen, asked of the system.
bool ClientToScreen(const WindowHost& host, Point client, Point* screen);

bool MouseMove(const WindowHost& host, Point client);
bool MouseDown(const WindowHost& host, Point client, MouseButton button = MouseButton::kLeft);
bool MouseUp(const WindowHost& host, Point client, MouseButton button = MouseButton::kLeft);
bool Click(const WindowHost& host, Point client, MouseButton button = MouseButton::kLeft);
// Press at `from`, move in a few steps to `to` (client coordinates of the
// window where the drag started), release there.
bool Drag(const WindowHost& host, Point from, Point to);
// Mouse input at a screen point, for what lies under a click-through popup.
bool ClickScreen(Point screen);
// A press at one screen point, a move in a few steps, a release at another.
bool DragScreen(Point from, Point to);
// Press and release of a Win32 virtual-key code, to the focused window,
// with the modifiers (kModShift | kModControl | kModAlt) held around it.
bool PressKey(int virtualKey, int modifiers = 0);
// Types UTF-8 text, each character as the keyboard would send it (Windows:
// VK_PACKET; Linux: characters without a key are given a spare key code
// for the moment).
bool TypeText(const std::string& utf8);

// The window is the active one and the keyboard is in it (in it or in a
// child of it, such as its native edit field).
bool HoldsKeyboard(const WindowHost& host);
// Where the system has the window's native edit field (client
// coordinates); false when it has none shown.
bool NativeEditRect(const WindowHost& host, Rect* client);

// Pumps the UI thread's loop until `done` holds or `timeoutMs` passed.
bool WaitFor(const std::function<bool()>& done, int timeoutMs);

// The window's pixels as they are on the screen (alpha 0xFF), read back from
// the system, not from the host's buffer.
Bitmap CaptureWindow(const WindowHost& host);
// The whole screen (Linux: the X root window).
Bitmap CaptureScreen();

// Controls by name, in the shown skinned windows of this thread, newest
// window first (a prompt before the owner under it), or only in `in`. A
// control counts when it and all its parents are visible and it has an
// area. These need skinui_window (the library skinui_window_automation).
bool FindControl(const std::string& name, Rect* screen, const WindowImplBase* in = nullptr);
// A real click at the centre of the control found so.
bool ClickControl(const std::string& name, const WindowImplBase* in = nullptr);

}  // namespace Automation
}  // namespace SkinUI
