#include <algorithm>
#include <cmath>

#include "preview.h"

namespace skinart {
namespace {

bool OnBrand(const std::string& p) {
  return p.find("backBtn") != std::string::npos || p.find("common/minbtn") != std::string::npos ||
         (p.find("common/closebtn") != std::string::npos && p.find("closebtnM") == std::string::npos);
}

void Nearest(Canvas& dst, const Canvas& src, int x, int y, int k) {
  for (int sy = 0; sy < src.height(); ++sy)
    for (int sx = 0; sx < src.width(); ++sx) {
      const float* p = src.Pixel(sx, sy);
      for (int j = 0; j < k; ++j)
        for (int i = 0; i < k; ++i) dst.Blend(x + sx * k + i, y + sy * k + j, p[0], p[1], p[2], p[3]);
    }
}

}  // namespace

Canvas ZoomSheet(const std::vector<Image>& images, int zoom) {
  // The marks and icons, magnified pixel for pixel, to judge their edges.
  std::vector<const Image*> picked;
  for (const Image& im : images)
    if (im.canvas.width() <= 112 && im.canvas.height() <= 112 && im.path.find("installBtnAnimate/0") == std::string::npos &&
        im.path.find("finishAnimate/0") == std::string::npos)
      picked.push_back(&im);
  const int W = 1600, gap = 12;
  int x = gap, y = gap, rowH = 0;
  std::vector<std::pair<int, int>> at;
  for (const Image* im : picked) {
    int w = im->canvas.width() * zoom, h = im->canvas.height() * zoom;
    if (x + w + gap > W) { x = gap; y += rowH + gap; rowH = 0; }
    at.push_back({x, y});
    x += w + gap;
    rowH = std::max(rowH, h);
  }
  Canvas sheet(W, y + rowH + gap);
  sheet.Clear(Solid(Hex(0xDADDE4)));
  for (size_t i = 0; i < picked.size(); ++i) {
    const Canvas& c = picked[i]->canvas;
    uint32_t back = OnBrand(picked[i]->path) ? palette::kBrand : 0xFFFFFF;
    sheet.Fill(RoundRect(at[i].first, at[i].second, at[i].first + c.width() * zoom, at[i].second + c.height() * zoom, 0), Hex(back));
    Nearest(sheet, c, at[i].first, at[i].second, zoom);
  }
  return sheet;
}

Canvas ContactSheet(const std::vector<Image>& images) {
  const int W = 1280, gap = 14;
  struct Tile { const Image* img; float scale; };
  std::vector<Tile> tiles;
  for (const Image& im : images) {
    bool frame = im.path.find("installBtnAnimate/") != std::string::npos;
    bool closing = im.path.find("finishAnimate/") != std::string::npos;
    if (closing) {
      int n = std::stoi(im.path.substr(im.path.size() - 7, 3));
      if (n % 10 != 9) continue;
    }
    if (frame) {
      int n = std::stoi(im.path.substr(im.path.size() - 7, 3));
      if (n % 10 != 0 && n != 59) continue;
    }
    float s = im.canvas.width() >= 400 ? 0.5f : (im.canvas.width() <= 60 && im.canvas.height() <= 60 ? 3.0f : 1.0f);
    tiles.push_back({&im, s});
  }
  // First pass: rows.
  struct Placed { Tile t; int x, y, w, h; };
  std::vector<Placed> placed;
  int x = gap, y = gap, rowH = 0;
  for (const Tile& t : tiles) {
    int w = int(std::ceil(t.img->canvas.width() * t.scale)), h = int(std::ceil(t.img->canvas.height() * t.scale));
    if (x + w + gap > W) { x = gap; y += rowH + gap; rowH = 0; }
    placed.push_back({t, x, y, w, h});
    x += w + gap;
    rowH = std::max(rowH, h);
  }
  Canvas sheet(W, y + rowH + gap);
  sheet.Clear(Solid(Hex(0xDADDE4)));
  for (const Placed& p : placed) {
    uint32_t back = OnBrand(p.t.img->path) ? palette::kBrand : 0xFFFFFF;
    sheet.Fill(RoundRect(p.x - 3, p.y - 3, p.x + p.w + 3, p.y + p.h + 3, 0), Hex(back));
    if (p.t.scale == 3.0f) Nearest(sheet, p.t.img->canvas, p.x, p.y, 3);
    else if (p.t.scale == 1.0f) sheet.Draw(p.t.img->canvas, p.x, p.y);
    else sheet.DrawScaled(p.t.img->canvas, p.x, p.y, p.x + p.w, p.y + p.h);
  }
  return sheet;
}

}  // namespace skinart
