// PNG encoding tuned for small files: an image with at most 256 distinct
// RGBA values becomes a palette image at the smallest bit depth (lossless),
// an opaque one drops its alpha channel, and every filter strategy is tried
// at zlib level 9, keeping the smallest result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace skinart {

// rgba: width * height straight-alpha RGBA8 pixels.
std::vector<uint8_t> EncodePng(const std::vector<uint8_t>& rgba, int width, int height);
bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

}  // namespace skinart
