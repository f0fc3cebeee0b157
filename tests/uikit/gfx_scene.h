// A fixed scene drawn with every image-drawing feature, shared by the
// cross-target pixel test, the sample render and the benchmark.
#pragma once

#include "uikit/bitmap.h"
#include "uikit/surface.h"

namespace skinui_test {

// Procedural art: a 600x400 opaque page background, a 40x40 translucent
// rounded button face with 8-pixel borders, a 60x60 translucent spinner
// frame and a 6x6 tile.
struct SceneArt {
  SkinUI::Bitmap background, button, spinner, tile;
};
SceneArt MakeSceneArt();

// Background, nine-part buttons (stretched, tiled, with a hole, faded),
// masked and source-clipped images, a colour fill, round borders, all
// under nested clips. No text: the same pixels on every target.
void PaintScene(SkinUI::Surface& surface, const SceneArt& art);

// FNV-1a over the pixels.
uint64_t PixelHash(const SkinUI::Bitmap& bitmap);

}  // namespace skinui_test
