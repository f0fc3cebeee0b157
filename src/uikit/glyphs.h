// Antialiased glyph coverage for text: FreeType with fontconfig on Linux,
// GDI on Windows. Everything above it (line breaking, alignment, drawing) is
// portable (text.h).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <vector>

namespace SkinUI {

struct FontSpec {
  std::string face;  // UTF-8 family name as markup writes it ("微软雅黑")
  int size = 12;     // pixel height of the em
  bool bold = false;
  bool underline = false;
  bool italic = false;

  bool operator<(const FontSpec& o) const {
    return std::tie(face, size, bold, underline, italic) < std::tie(o.face, o.size, o.bold, o.underline, o.italic);
  }
  bool operator==(const FontSpec& o) const {
    return face == o.face && size == o.size && bold == o.bold && underline == o.underline && italic == o.italic;
  }
};

// One glyph's 8-bit coverage (0 empty .. 255 full), rows top-down.
struct GlyphBitmap {
  int width = 0;
  int height = 0;
  int left = 0;     // from the pen position to the first column
  int top = 0;      // from the baseline up to the first row
  int advance = 0;  // pen advance in whole pixels
  std::vector<uint8_t> coverage;  // width * height
};

struct FontMetrics {
  int ascent = 0;   // baseline to the top of the line
  int descent = 0;  // baseline to the bottom of the line (positive)
  int height = 0;   // line height: ascent + descent (+ gap)
  int underlinePosition = 0;  // rows below the baseline
  int underlineThickness = 1;
};

// Implementations are used from one thread at a time (the UI thread).
class GlyphSource {
 public:
  virtual ~GlyphSource() = default;
  // Renders a code point. A code point the font lacks is taken from another
  // installed font that has it where the platform can find one; false only
  // when none can draw it (then *out has at least an advance, or nothing).
  virtual bool Glyph(const FontSpec& font, char32_t codepoint, GlyphBitmap* out) = 0;
  virtual FontMetrics Metrics(const FontSpec& font) = 0;

  // Cached Glyph(): the result of the first call for (font, code point);
  // never null (a glyph that failed is an empty one).
  const GlyphBitmap& Cached(const FontSpec& font, char32_t codepoint);
  const FontMetrics& CachedMetrics(const FontSpec& font);

 private:
  std::map<std::pair<FontSpec, char32_t>, GlyphBitmap> glyphs_;
  std::map<FontSpec, FontMetrics> metrics_;
};

// The platform's glyph source; null only when no font at all can be opened.
std::unique_ptr<GlyphSource> CreateGlyphSource();

}  // namespace SkinUI
