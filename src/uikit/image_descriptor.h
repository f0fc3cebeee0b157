// What an image attribute of the markup asks for: a parsed image descriptor.
// The markup's text form is read by ParseImageDescriptor (values.h); the
// surface draws one with DrawImage (image_draw.h).
#pragma once

#include <cstdint>
#include <string>

#include "uikit/geometry.h"

namespace SkinUI {

struct ImageDescriptor {
  std::string file;      // path inside the package; empty with a colour or a resource
  std::string res;       // executable resource name ("res"), with its type
  std::string restype;
  bool hasColor = false;  // "color": a plain fill instead of an image
  uint32_t color = 0;     // ARGB, straight alpha
  Rect dest;              // inside the control's rectangle; all zero: the whole rectangle
  Rect source;            // part of the image; all zero: the whole image
  Rect corner;            // nine-part border widths (left, top, right, bottom)
  bool hasMask = false;
  uint32_t mask = 0;      // colour treated as transparent (RGB compared, alpha ignored)
  int fade = 255;         // overall opacity 0..255
  bool hole = false;      // leave the centre of a nine-part image undrawn
  bool xtiled = false;
  bool ytiled = false;
  bool hsl = false;

  bool IsEmpty() const { return file.empty() && res.empty() && !hasColor; }
};

}  // namespace SkinUI
