// What a control paints with: the target surface, the image cache, the
// glyph source and the window's fonts. Built by the paint manager for one
// paint pass.
#pragma once

#include <map>

#include "uikit/geometry.h"
#include "uikit/glyphs.h"
#include "uikit/image_cache.h"
#include "uikit/surface.h"

namespace SkinUI {

// The "Font" declarations of a layout by id, and the window's default font.
// Sizes are declared at 1x; what Get hands out is at the window's scale, so
// text is rasterised at its on-screen size rather than stretched.
class FontTable {
 public:
  void Add(int id, const FontSpec& font, bool isDefault);
  // The font of that id at the scale; -1 or an unknown id gives the default font.
  const FontSpec& Get(int id) const;
  const FontSpec& Default() const { return scaledDefault_; }
  bool Has(int id) const { return fonts_.count(id) != 0; }
  void Clear();
  void SetDpi(int dpi);
  int Dpi() const { return dpi_; }

 private:
  FontSpec Scaled(const FontSpec& f) const;

  std::map<int, FontSpec> fonts_;  // as declared
  std::map<int, FontSpec> scaled_;
  FontSpec default_{"", 12};
  FontSpec scaledDefault_{"", 12};
  bool explicitDefault_ = false;
  int dpi_ = kBaseDpi;
};

struct PaintContext {
  Surface& surface;
  ImageCache* images;   // null: no images drawn
  GlyphSource* glyphs;  // null: no text drawn
  const FontTable& fonts;
  uint32_t defaultTextColor = 0xFF000000;
  uint32_t disabledTextColor = 0xFFA7A6AA;
  int dpi = kBaseDpi;  // the window's scale (geometry.h)
};

}  // namespace SkinUI
