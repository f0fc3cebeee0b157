// CWndShadow: the soft drop shadow of a borderless frame window, drawn by a
// layered, click-through popup (ShadowWindow) that follows the window. The
// shadow's pixels come from the window's outline (ComputeShadow) or, in
// image mode, from a nine-part image stretched around the window.
//
// It follows its parent from outside the parent's own handling: on Windows
// by subclassing the parent's window procedure, on Linux through the host's
// observer. It recomputes only on activation, the end of a move or size
// loop, shrinking resizes, pending paints and setter calls; moves only
// reposition it.
//
// UI thread only. The parent must outlive the shadow or go first through its
// own destruction (the shadow then forgets it); destroying the shadow
// detaches it from a parent that is still alive and destroys the popup.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/shadow_pixels.h"
#include "uikit/bitmap.h"
#include "uikit/geometry.h"
#include "uikit/image_cache.h"
#include "uikit/shadow_window.h"
#include "uikit/window_host.h"

namespace SkinUI {

class CWndShadow {
 public:
  // Status bits.
  enum : unsigned { kEnabled = 1, kVisible = 2, kParentVisible = 4 };

  // Once per process, before the first Create: false, and every later
  // Create a no-op, when the system cannot show shadows (Windows without
  // UpdateLayeredWindow; Linux without a 32-bit visual or a compositor). A
  // second call returns false and changes nothing.
  static bool Initialize();
  static bool Available();

  CWndShadow();
  ~CWndShadow();
  CWndShadow(const CWndShadow&) = delete;
  CWndShadow& operator=(const CWndShadow&) = delete;

  // Makes the popup for `parent` (alive) and starts following it: shown at
  // once when the parent is visible and neither minimised nor maximised.
  // False when shadows are off, the parent is not alive, or already created.
  bool Create(WindowHost& parent);

  // Each returns false and changes nothing for a value out of range
  // (size, x and y -20..20, sharpness 0..20, darkness 0..255), and redraws
  // at once while the shadow is visible.
  bool SetSize(int size);
  bool SetSharpness(int sharpness);
  bool SetDarkness(int darkness);
  bool SetPosition(int x, int y);
  bool SetColor(uint32_t colorref);  // red in the low byte; the top byte is ignored
  // Image mode: `name` from `images`, drawn as nine parts whose fixed
  // borders are `holeOffset` (image pixels), stretched over the window's
  // rectangle grown by `corner` on each side. False, keeping the previous
  // mode, when the image cannot be loaded.
  bool SetImage(ImageCache& images, const std::string& name, const Rect& corner, const Rect& holeOffset);

  // The parent's display scale: the settings above are at 1x (the corner
  // and hole offset included, the image drawn at 1x), and the shadow is
  // drawn at this scale.
  bool SetDpi(int dpi);

  // Recomputes the bitmap and shows it at its place beside the parent.
  void Update();

  unsigned Status() const { return status_; }
  bool IsCreated() const { return popup_.IsCreated(); }
  const CShadowParams& Params() const { return params_; }
  // The bitmap last pushed to the popup and where it went, on the screen.
  const Bitmap& Pixels() const { return pixels_; }
  Rect ScreenRect() const { return popup_.ScreenRect(); }
  bool PopupVisible() const { return popup_.IsVisible(); }
  // How many times the bitmap was recomputed (moves do not count).
  int UpdateCount() const { return updates_; }

  // What the parent went through; called by the platform's link to it.
  enum class ParentEvent { kMove, kSize, kActivate, kExitSizeMove, kPaint, kShow, kHide, kDestroy, kGone };
  void OnParentEvent(ParentEvent event, SizeState state = SizeState::kRestored, Size size = Size{});

  // Per platform: the subclassed window procedure or the host observer;
  // destroying it stops the following.
  struct Link {
    virtual ~Link() = default;
  };

 private:
  // Starts following `parent` (per platform).
  std::unique_ptr<Link> Attach(WindowHost& parent);

  bool Redraw();  // after a setter
  Point Place(const Rect& parent) const;
  void ComputePixels(const Rect& parent);

  WindowHost* parent_ = nullptr;
  ShadowWindow popup_;
  std::unique_ptr<Link> link_;
  CShadowParams params_;
  unsigned status_ = 0;
  bool updatePending_ = false;
  Size lastSize_;
  // Image mode.
  std::unique_ptr<Bitmap> image_;
  Rect corner_;
  Rect holeOffset_;
  int dpi_ = kBaseDpi;
  Bitmap pixels_;
  int updates_ = 0;
};

}  // namespace SkinUI
