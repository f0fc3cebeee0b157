// Drawing of a parsed image descriptor into a control's rectangle.
#pragma once

#include "uikit/bitmap.h"
#include "uikit/image_descriptor.h"
#include "uikit/surface.h"

namespace SkinUI {

// Draws `image` as `desc` asks inside controlRect (which also clips):
//  - "dest" is relative to controlRect's top-left; all zero is the whole
//    rectangle. "source" is clipped to the image; all zero is all of it.
//  - "corner": nine parts; corners are copied, edges and centre stretched
//    (bilinear), or repeated where "xtiled"/"ytiled" say; "hole" skips the
//    centre. Corners wider than the destination shrink in proportion.
//  - Without corners, "xtiled"/"ytiled" repeat the source at its own size.
//  - "mask": pixels whose colour (RGB) equals it become transparent.
//  - "fade": overall opacity. "hsl" is accepted and has no effect.
//  - The "color" form fills dest with the colour (fade applies) and needs
//    no image.
// An empty image (a missing file) draws nothing.
//
// At a display scale the descriptor's lengths, written at 1x, are scaled:
// "dest" and the corners on the screen by dpi (geometry.h), "source" and the
// corners in the image by the scale the art was drawn at. Art drawn above
// the display's scale is filtered down by area, so nothing aliases.
struct ImageScale {
  int dpi = kBaseDpi;
  int art = 1;
};
void DrawImage(Surface& surface, const Bitmap& image, const ImageDescriptor& desc, Rect controlRect,
               ImageScale scale = {});
// The same, with a null image meaning missing.
void DrawImage(Surface& surface, const Bitmap* image, const ImageDescriptor& desc, Rect controlRect,
               ImageScale scale = {});

}  // namespace SkinUI
