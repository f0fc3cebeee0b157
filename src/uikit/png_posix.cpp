#include <png.h>

#include "uikit/png.h"
#include "uikit/png_check.h"

namespace SkinUI {

bool DecodePng(const std::string& bytes, Bitmap* out, std::string* error) {
  *out = Bitmap{};
  int width = 0, height = 0;
  if (!CheckPngStructure(bytes, &width, &height, error)) return false;

  // The simplified API keeps libpng's longjmp inside libpng and reports
  // failure through its return values and message.
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    if (error) *error = image.message;
    return false;
  }
  image.format = PNG_FORMAT_BGRA;  // little-endian 0xAARRGGBB words
  Bitmap bitmap;
  bitmap.width = static_cast<int>(image.width);
  bitmap.height = static_cast<int>(image.height);
  bitmap.pixels.resize(static_cast<size_t>(bitmap.width) * bitmap.height);
  if (!png_image_finish_read(&image, nullptr, bitmap.pixels.data(), 0, nullptr)) {
    if (error) *error = image.message;
    png_image_free(&image);
    return false;
  }
  png_image_free(&image);
  for (Argb& p : bitmap.pixels) p = Premultiply(p);
  *out = std::move(bitmap);
  return true;
}

}  // namespace SkinUI
