// The drop shadow's popup: a layered, click-through window that never takes
// activation and shows a premultiplied ARGB bitmap at a screen position,
// stacked just below its owner. It only shows pixels: what they are (the
// blurred outline) and when they change is the shadow object's business.
//
// Windows: class "SkinShadowWnd", WS_EX_LAYERED | WS_EX_TRANSPARENT,
// WS_POPUPWINDOW, UpdateLayeredWindow with per-pixel alpha. Linux: an
// override-redirect X window with a 32-bit ARGB visual and an empty input
// shape, only while a compositing manager blends it.
//
// UI thread only. Destroying the object destroys the popup.
#pragma once

#include <memory>

#include "uikit/bitmap.h"
#include "uikit/geometry.h"
#include "uikit/window_host.h"

namespace SkinUI {

class ShadowWindow {
 public:
  // Once per process, before the first Create: false, and shadows disabled
  // for the process, when the system cannot show per-pixel alpha popups
  // (Windows: user32 without UpdateLayeredWindow; Linux: no 32-bit visual,
  // no Shape extension or no compositing manager). A second call returns
  // false and changes nothing.
  static bool Initialize();
  static bool Available();

  ShadowWindow();
  ~ShadowWindow();
  ShadowWindow(const ShadowWindow&) = delete;
  ShadowWindow& operator=(const ShadowWindow&) = delete;

  // Creates the popup hidden, owned by `owner`; false when shadows are
  // disabled or `owner` is not alive.
  bool Create(const WindowHost& owner);
  bool IsCreated() const;
  void Destroy();

  // New pixels at a new place (the popup takes the bitmap's size).
  void Update(const Bitmap& pixels, Point screenTopLeft);
  // The same pixels somewhere else: the owner moved.
  void Move(Point screenTopLeft);
  void Show();  // without activation
  void Hide();
  bool IsVisible() const;
  Rect ScreenRect() const;

  void* NativeHandle() const;  // HWND, or the X window id

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

}  // namespace SkinUI
