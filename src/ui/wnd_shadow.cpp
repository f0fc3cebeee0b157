#include "ui/wnd_shadow.h"

#include "uikit/image_draw.h"
#include "uikit/surface.h"

namespace SkinUI {

bool CWndShadow::Initialize() { return ShadowWindow::Initialize(); }
bool CWndShadow::Available() { return ShadowWindow::Available(); }

CWndShadow::CWndShadow() = default;

CWndShadow::~CWndShadow() {
  link_.reset();
  popup_.Destroy();
}

bool CWndShadow::Create(WindowHost& parent) {
  if (!Available() || !parent.IsAlive() || popup_.IsCreated() || link_) return false;
  if (!popup_.Create(parent)) return false;
  parent_ = &parent;
  lastSize_ = parent.ClientSize();
  if (!parent.IsVisible()) {
    status_ = kEnabled;
  } else if (parent.State() != SizeState::kRestored) {
    status_ = kEnabled | kParentVisible;
  } else {
    status_ = kEnabled | kVisible | kParentVisible;
    popup_.Show();
    Update();
  }
  link_ = Attach(parent);
  return true;
}

bool CWndShadow::SetSize(int size) { return params_.SetSize(size) && Redraw(); }
bool CWndShadow::SetSharpness(int sharpness) { return params_.SetSharpness(sharpness) && Redraw(); }
bool CWndShadow::SetDarkness(int darkness) { return params_.SetDarkness(darkness) && Redraw(); }
bool CWndShadow::SetPosition(int x, int y) { return params_.SetPosition(x, y) && Redraw(); }

bool CWndShadow::SetColor(uint32_t colorref) {
  params_.SetColor(colorref);
  return Redraw();
}

bool CWndShadow::SetImage(ImageCache& images, const std::string& name, const Rect& corner, const Rect& holeOffset) {
  const Bitmap* image = images.Get(name);
  if (!image || image->IsEmpty()) return false;
  image_ = std::make_unique<Bitmap>(*image);
  corner_ = corner;
  holeOffset_ = holeOffset;
  return Redraw();
}

bool CWndShadow::SetDpi(int dpi) {
  dpi_ = ClampDpi(dpi);
  params_.SetDpi(dpi_);
  return Redraw();
}

bool CWndShadow::Redraw() {
  if (status_ & kVisible) Update();
  return true;
}

Point CWndShadow::Place(const Rect& parent) const {
  if (image_) {
    const Rect corner = ScaleRect(corner_, dpi_);
    return Point{parent.left - corner.left, parent.top - corner.top};
  }
  return Point{ShadowLeft(parent.left, params_), ShadowTop(parent.top, params_)};
}

void CWndShadow::ComputePixels(const Rect& parent) {
  if (!image_) {
    pixels_ = ComputeShadow(parent_->RegionRows(), parent.Width(), params_);
    return;
  }
  Bitmap out;
  const Rect corner = ScaleRect(corner_, dpi_);
  out.width = parent.Width() + corner.left + corner.right;
  out.height = parent.Height() + corner.top + corner.bottom;
  if (out.IsEmpty()) {
    pixels_ = Bitmap{};
    return;
  }
  out.pixels.assign(static_cast<size_t>(out.width) * out.height, 0);
  Surface surface(out);
  ImageDescriptor desc;
  desc.corner = holeOffset_;
  DrawImage(surface, *image_, desc, Rect{0, 0, out.width, out.height}, {dpi_, 1});
  pixels_ = std::move(out);
}

void CWndShadow::Update() {
  if (!parent_ || !popup_.IsCreated() || !parent_->IsAlive()) return;
  const Rect rect = parent_->WindowRect();
  ComputePixels(rect);
  ++updates_;
  popup_.Update(pixels_, Place(rect));
}

void CWndShadow::OnParentEvent(ParentEvent event, SizeState state, Size size) {
  switch (event) {
    case ParentEvent::kDestroy:
      popup_.Destroy();
      status_ = 0;
      break;
    case ParentEvent::kGone:
      parent_ = nullptr;
      status_ = 0;
      link_.reset();  // last: the link may be what called
      break;
    case ParentEvent::kMove:
      if ((status_ & kVisible) && parent_) popup_.Move(Place(parent_->WindowRect()));
      break;
    case ParentEvent::kSize:
      if (!(status_ & kEnabled)) break;
      if (state != SizeState::kRestored) {
        popup_.Hide();
        status_ &= ~kVisible;
      } else if (status_ & kParentVisible) {
        // Growing waits for the paint, when the window shows its new outline;
        // shrinking cannot leave old shadow behind, so it updates now.
        if (size.cx <= lastSize_.cx && size.cy <= lastSize_.cy)
          Update();
        else
          updatePending_ = true;
        if (!(status_ & kVisible)) {
          popup_.Show();
          status_ |= kVisible;
        }
      }
      lastSize_ = size;
      break;
    case ParentEvent::kActivate:
    case ParentEvent::kExitSizeMove:
      if (status_ & kVisible) Update();
      break;
    case ParentEvent::kPaint:
      if (updatePending_) {
        updatePending_ = false;
        Update();
      }
      break;
    case ParentEvent::kShow:
      if ((status_ & kEnabled) && !(status_ & kParentVisible)) {
        status_ |= kParentVisible;
        // A maximised or minimised window shows without its shadow; the
        // restore brings it.
        if (parent_ && parent_->State() == SizeState::kRestored) {
          updatePending_ = true;
          popup_.Show();
          status_ |= kVisible;
        }
      }
      break;
    case ParentEvent::kHide:
      if (status_ & kEnabled) {
        popup_.Hide();
        status_ &= ~(kVisible | kParentVisible);
      }
      break;
  }
}

}  // namespace SkinUI
