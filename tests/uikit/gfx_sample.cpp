// Renders the gfx scene with English and Chinese text to a PNG, for a look
// at what the toolkit draws: gfx_sample OUT.png
#include <cstdio>
#include <fstream>

#include "gfx_scene.h"
#include "uikit/png.h"
#include "uikit/text.h"

using namespace SkinUI;

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gfx_sample OUT.png\n");
    return 2;
  }
  const skinui_test::SceneArt art = skinui_test::MakeSceneArt();
  Bitmap page;
  page.width = 600;
  page.height = 400;
  page.pixels.assign(600 * 400, 0);
  Surface s(page);
  skinui_test::PaintScene(s, art);
  auto glyphs = CreateGlyphSource();
  if (glyphs) {
    const FontSpec title{"微软雅黑", 18, true, false, false};
    const FontSpec body{"微软雅黑", 12, false, false, false};
    DrawText(s, *glyphs, title, "立即安装 Install now", {40, 40, 240, 84}, 0xFFFFFFFF,
             kTextSingleLine | kTextCenter | kTextVCenter);
    DrawText(s, *glyphs, body,
             "Quillon 将安装到您选择的文件夹中，并可创建桌面快捷方式。The installer downloads the package, "
             "checks it and runs it silently.",
             {40, 230, 280, 300}, 0xFF333A45, kTextWordBreak);
    DrawText(s, *glyphs, body, "我已阅读并同意《用户许可协议》", {40, 340, 240, 390}, 0xFF2F6FEB,
             kTextSingleLine | kTextCenter | kTextVCenter | kTextUnderline);
    DrawText(s, *glyphs, body, "A line far too long to fit in its box", {260, 340, 400, 390}, 0xFFD04040,
             kTextSingleLine | kTextVCenter | kTextEndEllipsis);
    DrawText(s, *glyphs, FontSpec{"SimSun", 14, false, false, true}, "宋体 italic", {420, 340, 540, 390}, 0xFF000000,
             kTextSingleLine | kTextRight | kTextVCenter);
  }
  std::ofstream out(argv[1], std::ios::binary);
  const std::string png = EncodePng(page);
  out.write(png.data(), static_cast<std::streamsize>(png.size()));
  return out ? 0 : 1;
}
