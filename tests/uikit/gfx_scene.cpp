#include "gfx_scene.h"

#include <cmath>

#include "uikit/image_draw.h"

namespace skinui_test {

using namespace SkinUI;

namespace {

Bitmap Make(int w, int h) {
  Bitmap b;
  b.width = w;
  b.height = h;
  b.pixels.assign(static_cast<size_t>(w) * h, 0);
  return b;
}

}  // namespace

SceneArt MakeSceneArt() {
  SceneArt art;
  art.background = Make(600, 400);
  for (int y = 0; y < 400; ++y) {
    for (int x = 0; x < 600; ++x) {
      const uint32_t r = 0xF0 - y / 16, g = 0xF4 - y / 20, b = 0xFA - x / 60;
      art.background.pixels[y * 600 + x] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
  }
  // A rounded face in the brand blue, with a lighter top half.
  art.button = Make(40, 40);
  Surface bs(art.button);
  bs.FillRoundRect({0, 0, 40, 40}, {16, 16}, 0xFF2F6FEB);
  bs.PushClip({0, 0, 40, 20});
  bs.FillRoundRect({0, 0, 40, 40}, {16, 16}, 0x40FFFFFF);
  bs.PopClip();
  bs.DrawBorder({0, 0, 40, 40}, 1, 0xFF1D4FB8, {16, 16});
  // Spinner: twelve dots on a circle, fading round.
  art.spinner = Make(60, 60);
  Surface ss(art.spinner);
  for (int i = 0; i < 12; ++i) {
    const double a = i * 3.14159265358979 / 6;
    const int cx = 30 + static_cast<int>(std::lround(20 * std::cos(a)));
    const int cy = 30 + static_cast<int>(std::lround(20 * std::sin(a)));
    ss.FillRoundRect({cx - 4, cy - 4, cx + 4, cy + 4}, {8, 8}, (uint32_t(40 + i * 18) << 24) | 0x2F6FEB);
  }
  art.tile = Make(6, 6);
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 6; ++x) art.tile.pixels[y * 6 + x] = ((x + y) % 3 == 0) ? 0xFFFF00FF : 0xFFB8C8E8;
  }
  return art;
}

void PaintScene(Surface& s, const SceneArt& art) {
  ImageDescriptor bg;
  bg.file = "bg.png";
  DrawImage(s, art.background, bg, {0, 0, 600, 400});

  ImageDescriptor nine;
  nine.file = "button.png";
  nine.corner = {8, 8, 8, 8};
  DrawImage(s, art.button, nine, {40, 40, 240, 84});  // wide install button
  DrawImage(s, art.button, nine, {260, 40, 300, 200});  // tall
  ImageDescriptor tiled = nine;
  tiled.xtiled = tiled.ytiled = true;
  DrawImage(s, art.button, tiled, {320, 40, 437, 97});
  ImageDescriptor hole = nine;
  hole.hole = true;
  hole.fade = 160;
  DrawImage(s, art.button, hole, {460, 40, 560, 120});

  ImageDescriptor tile;
  tile.file = "tile.png";
  tile.xtiled = tile.ytiled = true;
  tile.hasMask = true;
  tile.mask = 0xFFFF00FF;
  tile.dest = {10, 10, 190, 70};
  DrawImage(s, art.tile, tile, {30, 120, 250, 220});

  ImageDescriptor spin;
  spin.file = "spinner.png";
  spin.source = {30, 0, 90, 60};  // right half only, clipped to the image
  spin.dest = {0, 0, 30, 60};
  DrawImage(s, art.spinner, spin, {300, 230, 360, 290});
  ImageDescriptor whole;
  whole.file = "spinner.png";
  DrawImage(s, art.spinner, whole, {380, 230, 440, 290});
  ImageDescriptor scaled = whole;
  scaled.fade = 200;
  DrawImage(s, art.spinner, scaled, {460, 220, 557, 317});

  ImageDescriptor colour;
  colour.hasColor = true;
  colour.color = 0x802F6FEB;
  colour.dest = {0, 0, 200, 6};
  DrawImage(s, nullptr, colour, {40, 300, 240, 320});
  {
    ClipScope clip(s, {40, 330, 540, 400});
    ClipScope inner(s, {0, 0, 600, 380});
    s.FillRoundRect({40, 340, 240, 390}, {20, 20}, 0xC0FFFFFF);
    s.DrawBorder({40, 340, 240, 390}, 2, 0xFF2F6FEB, {20, 20});
    s.DrawBorder({260, 340, 540, 390}, 3, 0x80D04040);
  }
}

uint64_t PixelHash(const Bitmap& b) {
  uint64_t h = 1469598103934665603ull;
  for (Argb p : b.pixels) {
    for (int i = 0; i < 4; ++i) {
      h ^= (p >> (8 * i)) & 0xFF;
      h *= 1099511628211ull;
    }
  }
  return h;
}

}  // namespace skinui_test
