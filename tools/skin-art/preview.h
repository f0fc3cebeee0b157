// Pictures for looking at the art: a contact sheet of every image.
#pragma once

#include <string>
#include <vector>

#include "art.h"

namespace skinart {

Canvas ContactSheet(const std::vector<Image>& images);
// The small images magnified `zoom` times, pixel for pixel.
Canvas ZoomSheet(const std::vector<Image>& images, int zoom);

}  // namespace skinart
