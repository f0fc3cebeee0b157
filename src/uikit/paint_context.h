// What a control paints with: the target surface, the image cache, the
// glyph source and the window's fonts. Built by the paint manager for one
// paint pass.
#pragma once

#include <map>

#include "uikit/glyphs.h"
#include "uikit/image_cache.h"
#include "uikit/surface.h"

namespace SkinUI {

// The "Font" declarations of a layout by id, and the window's default font.
class FontTable {
 public:
  void Add(int id, const FontSpec& font, bool isDefault);
  // The font of that id; -1 or an unknown id gives the default font.
  const FontSpec& Get(int id) const;
  const FontSpec& Default() const { return default_; }
  bool Has(int id) const { return fonts_.count(id) != 0; }
  void Clear();

 private:
  std::map<int, FontSpec> fonts_;
  FontSpec default_{"", 12};
  bool explicitDefault_ = false;
};

struct PaintContext {
  Surface& surface;
  ImageCache* images;   // null: no images drawn
  GlyphSource* glyphs;  // null: no text drawn
  const FontTable& fonts;
  uint32_t defaultTextColor = 0xFF000000;
  uint32_t disabledTextColor = 0xFFA7A6AA;
};

}  // namespace SkinUI
