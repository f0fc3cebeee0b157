// PNG in and out. Decoding is per platform (libpng, GDI+), encoding is ours
// over zlib so renders and screenshots are byte-identical on both targets.
#pragma once

#include <string>

#include "uikit/bitmap.h"

namespace SkinUI {

// Images larger than this on either side are refused before any pixel
// buffer is allocated.
constexpr int kMaxPngSide = 8192;

// Decodes a PNG file's bytes into premultiplied ARGB. Malformed, truncated or
// oversized input returns false with a short reason in *error (may be null)
// and leaves *out empty.
bool DecodePng(const std::string& bytes, Bitmap* out, std::string* error);

// RGBA, 8 bits per channel, straight alpha, one IDAT. An empty bitmap gives
// an empty string.
std::string EncodePng(const Bitmap& bitmap);

}  // namespace SkinUI
