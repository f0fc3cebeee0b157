// Portable text layout over a GlyphSource: UTF-8 decoding, line breaking,
// alignment, measuring and drawing into a Surface.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "uikit/geometry.h"
#include "uikit/glyphs.h"
#include "uikit/surface.h"
#include "uikit/utf8.h"

namespace SkinUI {

// Style flags; the values are Win32's DT_* so code written against
// DrawText's flags reads the same. Left and top are the zero defaults.
constexpr unsigned kTextLeft = 0x0;
constexpr unsigned kTextTop = 0x0;
constexpr unsigned kTextCenter = 0x1;
constexpr unsigned kTextRight = 0x2;
constexpr unsigned kTextVCenter = 0x4;
constexpr unsigned kTextBottom = 0x8;
constexpr unsigned kTextWordBreak = 0x10;
constexpr unsigned kTextSingleLine = 0x20;
constexpr unsigned kTextEndEllipsis = 0x8000;
constexpr unsigned kTextUnderline = 0x10000000;  // also on with FontSpec::underline

struct TextLine {
  std::u32string text;
  int width = 0;
};

// Breaks text into lines: at "\n" always (unless single line), and with
// kTextWordBreak (and no kTextSingleLine) wherever a line would be wider
// than maxWidth: after a space, or between two CJK characters, or, for a
// word longer than the line, anywhere. maxWidth <= 0 means unbounded.
// Trailing spaces at a break do not count to a line's width.
std::vector<TextLine> LayoutText(GlyphSource& glyphs, const FontSpec& font, const std::string& text,
                                 int maxWidth, unsigned style);

// Width of the widest line and the lines' total height.
Size MeasureText(GlyphSource& glyphs, const FontSpec& font, const std::string& text, int maxWidth,
                 unsigned style);

// Draws text inside rect (which also clips) in a straight ARGB colour.
// With kTextEndEllipsis a single line that does not fit ends in "...";
// lines below the rectangle are not drawn.
void DrawText(Surface& surface, GlyphSource& glyphs, const FontSpec& font, const std::string& text,
              Rect rect, uint32_t argb, unsigned style);

}  // namespace SkinUI
