// Pictures for looking at the art: a contact sheet of every image, and
// mocks of each page composed from the images at their layout positions.
#pragma once

#include <string>
#include <vector>

#include "art.h"

namespace skinart {

Canvas ContactSheet(const std::vector<Image>& images);
// The small images magnified `zoom` times, pixel for pixel.
Canvas ZoomSheet(const std::vector<Image>& images, int zoom);
// Writes one PNG per page and prompt into dir; false when a file or the
// font cannot be written or opened.
bool WriteMocks(const std::vector<Image>& images, const std::string& dir, const std::string& fontPath);

}  // namespace skinart
