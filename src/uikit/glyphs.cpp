#include "uikit/glyphs.h"

namespace SkinUI {

const GlyphBitmap& GlyphSource::Cached(const FontSpec& font, char32_t codepoint) {
  const auto key = std::make_pair(font, codepoint);
  auto it = glyphs_.find(key);
  if (it != glyphs_.end()) return it->second;
  GlyphBitmap glyph;
  if (!Glyph(font, codepoint, &glyph)) {
    const int advance = glyph.advance;
    glyph = GlyphBitmap{};
    glyph.advance = advance;
  }
  return glyphs_.emplace(key, std::move(glyph)).first->second;
}

const FontMetrics& GlyphSource::CachedMetrics(const FontSpec& font) {
  auto it = metrics_.find(font);
  if (it != metrics_.end()) return it->second;
  return metrics_.emplace(font, Metrics(font)).first->second;
}

}  // namespace SkinUI
