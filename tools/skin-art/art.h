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

// The scales the package carries. The toolkit loads NAME@2x.png beside
// NAME.png above 1x and filters it to the window's scale; the layouts' source
// rectangles stay in 1x units, which holds because a 2x image is the same
// drawing at exactly twice the size.
constexpr int kScales[] = {1, 2};

// "dir/NAME.png" at `scale`: "dir/NAME@2x.png" for 2, the path itself for 1.
std::string ScaledPath(const std::string& path, int scale);

// Every image of the package at `scale`, in a stable order, named for that
// scale (ScaledPath).
std::vector<Image> DrawAll(int scale = 1);

// The colours the layouts repeat as text and fill colours.
namespace palette {
extern const uint32_t kBrand, kBrandHot, kBrandPushed, kInk, kMuted, kWhite, kTipInk, kLine, kSurface;
}

}  // namespace skinart
