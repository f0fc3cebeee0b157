// The skin's images. Every colour and size the art uses is one of the named
// constants in art.cpp, so a change there and a re-run redraws the package.
#pragma once

#include <string>
#include <vector>

#include "canvas.h"

namespace skinart {

struct Image {
  std::string path;  // relative to the package's "res" folder, forward slashes
  Canvas canvas;
};

// Every image of the package, in a stable order.
std::vector<Image> DrawAll();

// The colours the layouts repeat as text and fill colours.
namespace palette {
extern const uint32_t kBrand, kBrandHot, kBrandPushed, kInk, kMuted, kWhite, kTipInk, kLine, kSurface;
}

}  // namespace skinart
