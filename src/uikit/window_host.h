// One top-level borderless window and the UI thread's event loop, the same
// on both targets: Win32 windows on Windows, SDL2 (X11) on Linux. The host
// turns the platform's events into HostEvent values for one IHostHandler and
// asks that handler to paint dirty rectangles into a premultiplied ARGB back
// buffer, which it then presents. Everything inside the window (controls,
// layout, the paint manager) belongs to the handler.
//
// Threads: every member is for the thread that created the window (the UI
// thread), except PostToWindow, which any thread may call with a WindowId
// taken on the UI thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <vector>

#include "uikit/bitmap.h"
#include "uikit/geometry.h"
#include "uikit/region_rows.h"

namespace SkinUI {

// Hit-test codes, the values of Win32's HT* constants.
enum HitCode : int {
  kHitNowhere = 0,
  kHitClient = 1,
  kHitCaption = 2,
  kHitLeft = 10,
  kHitRight = 11,
  kHitTop = 12,
  kHitTopLeft = 13,
  kHitTopRight = 14,
  kHitBottom = 15,
  kHitBottomLeft = 16,
  kHitBottomRight = 17,
};

enum class MouseButton : int { kNone = 0, kLeft = 1, kRight = 2, kMiddle = 3 };

enum Modifier : int { kModShift = 1, kModControl = 2, kModAlt = 4 };

// Key codes are Win32 virtual-key codes on both targets.
enum VirtualKeyCode : int {
  kKeyBack = 8, kKeyTab = 9, kKeyReturn = 13, kKeyShift = 16, kKeyControl = 17, kKeyAlt = 18,
  kKeyEscape = 27, kKeySpace = 32, kKeyEnd = 35, kKeyHome = 36, kKeyLeft = 37, kKeyUp = 38,
  kKeyRight = 39, kKeyDown = 40, kKeyDelete = 46,  // '0'..'9' are 48..57, 'A'..'Z' 65..90
  kKeyF1 = 112, kKeyF4 = 115,  // ..F12 = 123
};

// Posted messages carry values from here up, as Win32's WM_USER, so they
// never collide with the system's own messages.
constexpr unsigned kFirstPostedMessage = 0x0400;

enum class HostEventType {
  kMouseMove,
  kMouseDown,
  kMouseUp,
  kMouseWheel,
  kKeyDown,
  kChar,          // one UTF-32 code point of typed text
  kSize,          // new client size; sizeState tells minimised/maximised
  kMove,          // new top-left corner of the window on the screen
  kShow,          // shown (active = true) or hidden
  kActivate,      // became the active window (active = true) or lost it
  kCloseRequest,  // the user or Close() asked to close; unhandled = Destroy()
  kTimer,
  kPosted,
  kComposition,   // the input method's unfinished text (text, compositionCursor); empty ends it
  kNativeEditKey, // Return, Escape or Tab (modifiers) pressed in the native edit field
  kDpiChanged,    // the window's display scale is now dpi; the window is already size (client) large
  kDestroy,       // the window is going; the last event the handler sees
};

enum class SizeState { kRestored, kMinimized, kMaximized };

struct HostEvent {
  HostEventType type = HostEventType::kMouseMove;
  Point point;                              // mouse: client coordinates; kMove: screen
  MouseButton button = MouseButton::kNone;  // kMouseDown / kMouseUp
  int modifiers = 0;                        // Modifier bits
  int wheelDelta = 0;                       // multiples of 120, positive away from the user
  int key = 0;                              // kKeyDown: virtual-key code
  char32_t codepoint = 0;                   // kChar
  Size size;                                // kSize
  SizeState sizeState = SizeState::kRestored;
  bool active = false;                      // kActivate / kShow
  unsigned timerId = 0;                     // kTimer
  unsigned message = 0;                     // kPosted
  uintptr_t wParam = 0;
  intptr_t lParam = 0;
  std::string text;                         // kComposition: UTF-8
  int compositionCursor = 0;                // kComposition: code points before the input method's cursor
  int dpi = kBaseDpi;                       // kDpiChanged
};

class IHostHandler {
 public:
  virtual ~IHostHandler() = default;
  // True when the handler acted on the event; an unhandled kCloseRequest
  // destroys the window.
  virtual bool OnHostEvent(const HostEvent& event) = 0;
  // A HitCode for a point in client coordinates.
  virtual int HitTest(Point client) { return kHitClient; }
  // Paint `dirty` (inside the back buffer, never empty) into the back buffer,
  // which keeps every pixel painted before: only dirty pixels need painting.
  virtual void Paint(const Rect& dirty, Bitmap& backBuffer) = 0;
  // Windows: the system asks for one of the window's objects (WM_GETOBJECT's
  // wParam and lParam, for the accessibility interface); true with *result
  // set answers it, false leaves it to the system.
  virtual bool AnswerObjectRequest(uintptr_t wParam, intptr_t lParam, intptr_t* result) { return false; }
};

// Sees a window's events just before its handler does, and each paint just
// before it happens: for what follows a window from outside its handler
// (the frame's drop shadow on Linux). It sees kDestroy however the window
// goes, even from the host's destructor, and nothing after it.
class IHostObserver {
 public:
  virtual ~IHostObserver() = default;
  virtual void OnObservedEvent(const HostEvent& event) = 0;
  virtual void OnObservedPaint() {}
};

// What identifies a window across threads: a message posted to an id whose
// window is gone is dropped, never delivered to another window's memory.
using WindowId = uintptr_t;

class WindowHost;

// Screens as the system lays them out, for placing windows on them.
struct MonitorArea {
  Rect bounds;  // the whole monitor, in screen coordinates
  Rect work;    // less the task bars and docks
};
// The monitor holding the largest part of `area`, or, when none holds any
// of it, the one nearest its centre; -1 for no monitors.
int MonitorHolding(const std::vector<MonitorArea>& monitors, const Rect& area);
// The top-left corner of a window of `size` centred over `over`, moved as
// little as needed to lie inside `work`.
Point CenteredInside(const Rect& over, Size size, const Rect& work);
// The top-left corner of a drop-down list of `size` for a box at `anchor`
// (screen coordinates): below the box, or above it when `work` has no
// room below but room above; moved sideways to stay inside `work`.
Point DropDownPlace(const Rect& anchor, Size size, const Rect& work);

struct HostOptions {
  std::string className = "SkinUIWindow";  // the window class (Windows) / X class hint
  std::wstring title;
  Size size{400, 300};
  const WindowHost* owner = nullptr;  // owned windows stay above their owner, out of the taskbar
  bool toolWindow = false;            // no taskbar entry even without owner
  // A drop-down list: never activated (the owner keeps the keyboard), no
  // frame or taskbar entry, above its owner and free to reach past the
  // owner's edges (override-redirect on X11).
  bool popup = false;
};

// What the native edit field laid over an Edit control looks like.
struct NativeEditLook {
  Rect rect;                  // client coordinates: the control less its text padding
  std::string text;           // UTF-8
  std::string fontFace;       // UTF-8 family name
  int fontSize = 12;          // pixel height of the em
  bool bold = false;
  uint32_t textColor = 0xFF000000;
  uint32_t bkColor = 0xFFFFFFFF;
  int maxChars = 0;           // 0: no limit
  bool password = false;
  bool readOnly = false;
  bool selectAll = false;     // reached with the keyboard: all of it selected, else the caret at the end
};

class WindowHost {
 public:
  WindowHost();
  ~WindowHost();  // destroys the window if it still exists, without events
  WindowHost(const WindowHost&) = delete;
  WindowHost& operator=(const WindowHost&) = delete;

  // Creates the window hidden. False when the platform refuses (no display).
  // `handler` must outlive the window.
  bool Create(IHostHandler* handler, const HostOptions& options);
  bool IsAlive() const;
  WindowId Id() const;  // 0 when not alive

  void Show(bool activate = true);
  void Hide();
  bool IsVisible() const;
  // False while a modal run of an owned window disables it: input is
  // ignored and the window cannot be activated.
  bool IsEnabled() const;
  // Turns the window's input off and on again, as a modal run does for its
  // owner; calls nest.
  void SetInputEnabled(bool enabled);
  void Minimize();
  void Maximize();  // fills the work area of the window's screen
  void Restore();
  SizeState State() const;

  void Move(Point screenTopLeft);
  void Resize(Size clientSize);
  Rect WindowRect() const;  // on the screen; borderless, so the client area too
  // The display scale (geometry.h) for a window about to be created, as the
  // system sets it: Windows: the system's DPI; Linux: "Xft.dpi" of the X
  // resources, else 1x.
  static int SystemDpi();
  // The window's own scale: on Windows its monitor's DPI, which changes as
  // it moves between monitors (kDpiChanged); on Linux the system's.
  int Dpi() const;
  Size ClientSize() const;
  // Centres over the owner's window, or over the work area of the screen
  // when `owner` is null or not alive, and keeps the window inside the work
  // area of the monitor that holds the owner (or this window).
  void CenterOver(const WindowHost* owner);
  // The work area of the monitor holding most of `nearWindow` (the primary one
  // when null or not alive).
  static Rect WorkArea(const WindowHost* nearWindow = nullptr);
  // The work area of the monitor holding the screen point (the nearest one
  // when no monitor does).
  static Rect WorkAreaAt(Point screen);

  // Asks to close: the handler sees kCloseRequest (later, from the loop).
  void Close();
  // Destroys at once; the handler sees kDestroy. Ends a RunModal of it.
  void Destroy();

  // Rounded corners: a region from (0,0) to (width + 1, height + 1) with
  // this corner ellipse, kept in step with the size. {0,0} removes it.
  void SetRoundRegion(Size ellipse);
  // The window's outline as the system has it, one row per pixel row of
  // the window; a window without region is its whole rectangle.
  std::vector<RegionRow> RegionRows() const;

  // One observer per window (null removes it); not owned.
  void SetObserver(IHostObserver* observer);
  IHostObserver* Observer() const;

  // Marks client pixels for painting: the handler paints them, the host
  // presents them, on the next turn of the loop (or in UpdateNow).
  void Invalidate(const Rect& rect);
  void InvalidateAll();
  void UpdateNow();
  // The back buffer as last painted (client size).
  const Bitmap& BackBuffer() const;

  // A repeating timer on the UI thread; setting a running id restarts it.
  bool SetTimer(unsigned id, unsigned milliseconds);
  void KillTimer(unsigned id);

  // Posts {message, wParam, lParam} (message >= kFirstPostedMessage) to the
  // window; false when it cannot be queued (no such window).
  bool Post(unsigned message, uintptr_t wParam, intptr_t lParam);
  static bool PostToWindow(WindowId id, unsigned message, uintptr_t wParam, intptr_t lParam);

  // Shows the window with its owner disabled and runs a nested loop until
  // the window is gone or EndModal is called; then re-enables and focuses
  // the owner and destroys the window. A quit request received inside is
  // passed on to the enclosing loop. Returns EndModal's result, or -1 when
  // the window went away without it.
  int RunModal();
  void EndModal(int result);

  // The process's loop: runs until QuitMessageLoop; returns its code.
  static int RunMessageLoop();
  static void QuitMessageLoop(int code);
  // One bounded turn of the loop for tests and tools: handles what is
  // queued, waiting at most `maxWaitMs` for the first event. False once a
  // quit request was seen (it stays queued for the enclosing loop).
  static bool PumpMessages(int maxWaitMs);

  // Typed text (kChar events) for the Edit control; `caret` in client
  // coordinates places the input method's window. Windows delivers kChar
  // always; Linux only between these calls.
  void StartTextInput(const Rect& caret);
  void StopTextInput();

  // Windows: a native edit field laid over look.rect, given the keyboard
  // focus, its text read back with NativeEditText; Return, Escape and Tab
  // inside it arrive as kNativeEditKey. False where the platform has none
  // (Linux), and the control edits by itself.
  bool BeginNativeEdit(const NativeEditLook& look);
  bool NativeEditActive() const;
  std::string NativeEditText() const;
  // Removes the field and gives the keyboard back to the window.
  void EndNativeEdit();

  // The system clipboard's text (UTF-8); empty when it holds none.
  static std::string ClipboardText();
  static bool SetClipboardText(const std::string& utf8);

  static void ShowErrorBox(const std::wstring& text, const std::wstring& caption);

  // HWND on Windows, SDL_Window* on Linux.
  void* NativeHandle() const;

  struct Impl;
  Impl* impl() const { return impl_.get(); }

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace SkinUI
