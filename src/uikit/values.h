// The value syntaxes of the layout markup: integers, rectangles, sizes,
// points, colours, booleans and image descriptors. Every parser takes the
// attribute text as written and answers false for text it cannot read,
// leaving *out at its default value, so a bad attribute never half-applies.
#pragma once

#include <cstdint>
#include <string>

#include "uikit/geometry.h"
#include "uikit/image_descriptor.h"

namespace SkinUI {

// Decimal with an optional sign; blanks around the number are allowed,
// anything else (or a value outside int) is refused.
bool ParseInt(const std::string& text, int* out);

// "left,top,right,bottom", "cx,cy" and "x,y"; blanks around each number.
bool ParseRect(const std::string& text, Rect* out);
bool ParseSize(const std::string& text, Size* out);
bool ParsePoint(const std::string& text, Point* out);

// "#AARRGGBB" or "0xAARRGGBB" (either case) into ARGB. Six digits mean an
// opaque RGB colour. Refused: no prefix, other lengths, non-hex digits.
bool ParseColour(const std::string& text, uint32_t* out);

// True only for the exact text "true".
bool ParseBool(const std::string& text);

// A plain path inside the package ("res\mainWnd\bg1.png") or blank-separated
// key='value' pairs (file, res, restype, color, dest, source, corner or
// scale9, mask, fade, hole, xtiled, ytiled, hsl). Unknown keys are ignored
// so that newer skins still load; a malformed pair or value refuses the whole
// text. "fade" is clamped to 0..255.
bool ParseImageDescriptor(const std::string& text, ImageDescriptor* out);

}  // namespace SkinUI
