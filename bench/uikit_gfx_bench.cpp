// Toolkit painting: a full 600x400 page of images (goal under 2 ms), one
// 60x60 spinner frame repainted over its background (goal under 0.2 ms),
// text lines with warm glyph caches, and decoding the page background.
#include <benchmark/benchmark.h>

#include "gfx_scene.h"
#include "uikit/image_draw.h"
#include "uikit/png.h"
#include "uikit/text.h"

namespace {

using namespace SkinUI;

Bitmap Page() {
  Bitmap page;
  page.width = 600;
  page.height = 400;
  page.pixels.assign(600 * 400, 0);
  return page;
}

void FullScenePaint(benchmark::State& state) {
  const skinui_test::SceneArt art = skinui_test::MakeSceneArt();
  Bitmap page = Page();
  for (auto _ : state) {
    Surface s(page);
    skinui_test::PaintScene(s, art);
    benchmark::DoNotOptimize(page.pixels.data());
  }
}
BENCHMARK(FullScenePaint)->Unit(benchmark::kMicrosecond);

void BackgroundBlit(benchmark::State& state) {
  const skinui_test::SceneArt art = skinui_test::MakeSceneArt();
  Bitmap page = Page();
  ImageDescriptor bg;
  bg.file = "bg.png";
  for (auto _ : state) {
    Surface s(page);
    DrawImage(s, art.background, bg, {0, 0, 600, 400});
    benchmark::DoNotOptimize(page.pixels.data());
  }
}
BENCHMARK(BackgroundBlit)->Unit(benchmark::kMicrosecond);

void SpinnerFrame(benchmark::State& state) {
  const skinui_test::SceneArt art = skinui_test::MakeSceneArt();
  Bitmap page = Page();
  ImageDescriptor bg, frame;
  bg.file = "bg.png";
  frame.file = "000.png";
  const Rect control{270, 170, 330, 230};
  for (auto _ : state) {
    Surface s(page);
    ClipScope clip(s, control);
    DrawImage(s, art.background, bg, {0, 0, 600, 400});
    DrawImage(s, art.spinner, frame, control);
    benchmark::DoNotOptimize(page.pixels.data());
  }
}
BENCHMARK(SpinnerFrame)->Unit(benchmark::kMicrosecond);

void TextLines(benchmark::State& state) {
  auto glyphs = CreateGlyphSource();
  if (!glyphs) {
    state.SkipWithError("no fonts");
    return;
  }
  const FontSpec font{"微软雅黑", 12, false, false, false};
  Bitmap page = Page();
  const std::string line = "正在下载安装包，请稍候… Downloading 42%";
  const std::string para =
      "Quillon 将安装到您选择的文件夹中，并可创建桌面快捷方式。The installer downloads the package, checks it "
      "and runs it silently.";
  for (auto _ : state) {
    Surface s(page);
    DrawText(s, *glyphs, font, line, {20, 20, 580, 40}, 0xFF333333, kTextSingleLine | kTextCenter | kTextVCenter);
    DrawText(s, *glyphs, font, para, {20, 60, 300, 160}, 0xFF333333, kTextWordBreak);
    benchmark::DoNotOptimize(page.pixels.data());
  }
}
BENCHMARK(TextLines)->Unit(benchmark::kMicrosecond);

void DecodeBackground(benchmark::State& state) {
  const std::string bytes = EncodePng(skinui_test::MakeSceneArt().background);
  for (auto _ : state) {
    Bitmap out;
    benchmark::DoNotOptimize(DecodePng(bytes, &out, nullptr));
  }
}
BENCHMARK(DecodeBackground)->Unit(benchmark::kMicrosecond);

}  // namespace
BENCHMARK_MAIN();
