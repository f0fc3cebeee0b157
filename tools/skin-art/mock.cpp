// Page mocks: each page and prompt drawn from the images at the positions
// that the layouts give them, with the texts in two languages, to see
// whether the pieces fit before the toolkit can render the layouts itself.
// Positions here are window pixels worked out from the layouts' boxes.
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H

#include <cmath>
#include <map>

#include "png_writer.h"
#include "preview.h"
#include "texts.h"

namespace skinart {
namespace {

struct Box { int l, t, r, b; };

enum Align { kLeft, kCenter };

struct TextStyle {
  int size = 12;
  bool bold = false, underline = false, multiline = false;
  uint32_t colour = palette::kInk;
  Align align = kLeft;
  Box padding{0, 0, 0, 0};
};

class Fonts {
 public:
  explicit Fonts(const std::string& path) {
    ok_ = FT_Init_FreeType(&lib_) == 0 && FT_New_Face(lib_, path.c_str(), 0, &face_) == 0;
  }
  ~Fonts() {
    if (face_) FT_Done_Face(face_);
    if (lib_) FT_Done_FreeType(lib_);
  }
  bool ok() const { return ok_; }

  // Advance of one code point, in pixels.
  int Advance(uint32_t cp, const TextStyle& s) {
    if (!Load(cp, s, false)) return 0;
    return int(face_->glyph->advance.x >> 6) + (s.bold ? 1 : 0);
  }
  void Draw(Canvas& c, uint32_t cp, int x, int baseline, const TextStyle& s) {
    if (!Load(cp, s, true)) return;
    FT_Bitmap& bm = face_->glyph->bitmap;
    Rgba col = Hex(s.colour);
    for (unsigned y = 0; y < bm.rows; ++y)
      for (unsigned i = 0; i < bm.width; ++i) {
        float a = bm.buffer[y * bm.pitch + i] / 255.0f;
        c.Blend(x + face_->glyph->bitmap_left + int(i), baseline - face_->glyph->bitmap_top + int(y), col.r * a,
                col.g * a, col.b * a, a);
      }
  }
  int Ascent(const TextStyle& s) {
    FT_Set_Pixel_Sizes(face_, 0, s.size);
    return int(face_->size->metrics.ascender >> 6);
  }
  int LineHeight(const TextStyle& s) {
    FT_Set_Pixel_Sizes(face_, 0, s.size);
    return int(face_->size->metrics.height >> 6);
  }

 private:
  bool Load(uint32_t cp, const TextStyle& s, bool render) {
    FT_Set_Pixel_Sizes(face_, 0, s.size);
    if (FT_Load_Char(face_, cp, FT_LOAD_DEFAULT) != 0) return false;
    if (s.bold) FT_Outline_Embolden(&face_->glyph->outline, 48);
    return !render || FT_Render_Glyph(face_->glyph, FT_RENDER_MODE_NORMAL) == 0;
  }
  FT_Library lib_ = nullptr;
  FT_Face face_ = nullptr;
  bool ok_ = false;
};

std::vector<uint32_t> Decode(const std::string& s) {
  std::vector<uint32_t> out;
  for (size_t i = 0; i < s.size();) {
    unsigned char c = s[i];
    int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    uint32_t cp = n == 1 ? c : c & (0x3F >> (n - 1));
    for (int k = 1; k < n && i + k < s.size(); ++k) cp = cp << 6 | (s[i + k] & 0x3F);
    out.push_back(cp);
    i += n;
  }
  return out;
}

class Mock {
 public:
  Mock(const std::vector<Image>& images, Fonts& fonts, int w, int h) : fonts_(fonts), canvas_(w, h) {
    for (const Image& im : images) byPath_.emplace(im.path, &im.canvas);
    canvas_.Clear(Solid(Hex(0xFFFFFF)));
  }
  Canvas& canvas() { return canvas_; }

  // A plain image at its own size, or nine-part stretched when corners given.
  void Img(const std::string& path, Box b, Box corner = {-1, 0, 0, 0}) {
    auto it = byPath_.find(path);
    if (it == byPath_.end()) return;
    const Canvas& src = *it->second;
    if (corner.l < 0) canvas_.DrawScaled(src, b.l, b.t, b.r, b.b);
    else canvas_.DrawNine(src, b.l, b.t, b.r, b.b, corner.l, corner.t, corner.r, corner.b);
  }

  // Draws the text and says whether it fitted.
  bool Txt(const std::string& text, Box b, TextStyle s) {
    Box in{b.l + s.padding.l, b.t + s.padding.t, b.r - s.padding.r, b.b - s.padding.b};
    std::vector<std::vector<uint32_t>> lines(1);
    int width = 0;
    bool fits = true;
    for (uint32_t cp : Decode(text)) {
      if (cp == '\r') continue;
      if (cp == '\n') { lines.emplace_back(); width = 0; continue; }
      int adv = fonts_.Advance(cp, s);
      if (width + adv > in.r - in.l) {
        if (s.multiline) { lines.emplace_back(); width = 0; }
        else fits = false;
      }
      lines.back().push_back(cp);
      width += adv;
    }
    int lh = fonts_.LineHeight(s), asc = fonts_.Ascent(s);
    int total = lh * int(lines.size());
    if (total > in.b - in.t) fits = false;
    int y = in.t + (in.b - in.t - total) / 2;
    for (auto& line : lines) {
      int lw = 0;
      for (uint32_t cp : line) lw += fonts_.Advance(cp, s);
      int x = s.align == kCenter ? in.l + (in.r - in.l - lw) / 2 : in.l;
      for (uint32_t cp : line) {
        fonts_.Draw(canvas_, cp, x, y + asc, s);
        x += fonts_.Advance(cp, s);
      }
      if (s.underline) canvas_.Fill(RoundRect(in.l, y + asc + 2, x, y + asc + 3, 0), Hex(s.colour));
      y += lh;
    }
    if (!fits) canvas_.Fill(Ring(RoundRect(b.l, b.t, b.r, b.b, 0), 0.5f), Hex(0xFF0000));
    return fits;
  }

  int Measure(const std::string& text, TextStyle s) {
    int w = 0;
    for (uint32_t cp : Decode(text)) w += fonts_.Advance(cp, s);
    return w;
  }

 private:
  Fonts& fonts_;
  Canvas canvas_;
  std::map<std::string, const Canvas*> byPath_;
};

TextStyle Style(int size, uint32_t colour, Align align = kLeft, bool bold = false) {
  TextStyle s;
  s.size = size;
  s.colour = colour;
  s.align = align;
  s.bold = bold;
  return s;
}

using namespace palette;
const uint32_t kHeaderSub = 0xD9DCFF, kBackText = 0xE8EAFF;

void TitleButtons(Mock& m) {
  m.Img("common/minbtn1.png", {530, 4, 562, 32});
  m.Img("common/closebtn2.png", {562, 4, 594, 32});
}

void Page0(Mock& m, int lang, bool tip) {
  auto T = [&](int id) { return TextOf(id, lang); };
  m.Img("mainWnd/bg1.png", {0, 0, 600, 400});
  TitleButtons(m);
  m.Img("mainWnd/logo.png", {264, 50, 336, 122});
  TextStyle name = Style(30, kWhite, kLeft, true);
  int nw = m.Measure("Quillon", name);
  m.Txt("Quillon", {300 - nw / 2, 122, 300 - nw / 2 + nw, 166}, name);
  m.Txt(T(2), {0, 166, 600, 188}, Style(13, kHeaderSub, kCenter));
  m.Img("mainWnd/installBtn1.png", {200, 228, 400, 276}, {12, 12, 12, 12});
  m.Txt(T(3), {200, 228, 400, 276}, Style(18, kWhite, kCenter, true));
  // The hint shows when the agreement box is clear.
  m.Img(tip ? "mainWnd/Cb1.png" : "mainWnd/Cb2.png", {200, 296, 216, 312});
  TextStyle link = Style(12, kBrand);
  link.underline = true;
  m.Txt(T(4), {222, 294, 522, 314}, link);
  if (tip) {
    TextStyle t = Style(12, kTipInk);
    t.padding = {10, 6, 8, 0};
    m.Img("mainWnd/tipLbl.png", {194, 318, 434, 348}, {20, 10, 10, 4});
    m.Txt(T(5), {194, 318, 434, 348}, t);
  }
  TextStyle muted = Style(12, kMuted);
  int lw = m.Measure(T(6), muted);
  m.Txt(T(6), {24, 356, 24 + lw, 400}, muted);
  m.Img("mainWnd/languageCombo.png", {32 + lw, 365, 152 + lw, 391}, {6, 6, 20, 6});
  TextStyle combo = Style(12, kInk);
  combo.padding = {10, 0, 24, 0};
  m.Txt(lang == 1 ? "简体中文" : "English", {32 + lw, 365, 152 + lw, 391}, combo);
  m.Img("mainWnd/customeBtn1.png", {456, 363, 576, 393}, {15, 0, 15, 0});
  m.Txt(T(7), {456, 363, 576, 393}, Style(12, kBrand, kCenter));
}

void Page1(Mock& m, int lang) {
  auto T = [&](int id) { return TextOf(id, lang); };
  m.Img("mainWnd/bg2.png", {0, 0, 600, 400});
  TitleButtons(m);
  TextStyle back = Style(13, kBackText);
  back.padding = {26, 0, 0, 0};
  int bw = m.Measure(T(12), back) + 26;
  m.Img("mainWnd/backBtn2.png", {10, 6, 10 + bw, 30}, {24, 0, 4, 0});
  m.Txt(T(12), {10, 6, 10 + bw, 30}, back);
  TextStyle head = Style(20, kWhite, kLeft, true);
  int hw = m.Measure("Quillon", head);
  m.Txt("Quillon", {40, 48, 40 + hw, 80}, head);
  TextStyle sub = Style(14, kHeaderSub);
  sub.padding = {12, 3, 0, 0};
  m.Txt(T(7), {40 + hw, 48, 340 + hw, 80}, sub);
  m.Txt(T(8), {40, 118, 160, 138}, Style(13, kMuted));
  m.Img("mainWnd/installDirEdit.png", {40, 146, 430, 182}, {6, 6, 6, 6});
  TextStyle edit = Style(13, kInk);
  edit.padding = {12, 0, 12, 0};
  m.Txt("C:\\Program Files (x86)\\Quillon", {40, 146, 430, 182}, edit);
  m.Img("mainWnd/chDirBtn1.png", {440, 146, 560, 182}, {36, 8, 8, 8});
  TextStyle dir = Style(13, kInk);
  dir.padding = {34, 0, 10, 0};
  m.Txt(T(9), {440, 146, 560, 182}, dir);
  TextStyle cb = Style(13, kInk);
  cb.padding = {24, 0, 0, 0};
  m.Img("mainWnd/Cb2.png", {40, 206, 56, 222});
  m.Txt(T(10), {40, 204, 290, 224}, cb);
  m.Img("mainWnd/Cb1.png", {290, 206, 306, 222});
  m.Txt(T(11), {290, 204, 560, 224}, cb);
  m.Img("mainWnd/installBtn2.png", {200, 296, 400, 344}, {12, 12, 12, 12});
  m.Txt(T(3), {200, 296, 400, 344}, Style(18, kWhite, kCenter, true));
}

void Page2(Mock& m, int lang, int percent) {
  m.Img("mainWnd/bg3.png", {0, 0, 600, 400});
  TextStyle name = Style(14, kWhite, kLeft, true);
  m.Txt("Quillon", {18, 0, 118, 35}, name);
  m.Img("mainWnd/logo.png", {264, 90, 336, 162});
  m.Img("mainWnd/installBtnAnimate/010.png", {244, 70, 356, 182});
  // The window's own wording, the same in every language.
  char pct[16];
  std::snprintf(pct, sizeof pct, "%d%%", percent);
  m.Txt(std::string("正在安装中:") + pct + "，请稍候...", {40, 206, 560, 230}, Style(14, kInk, kCenter));
  m.Img("mainWnd/installPrg1.png", {100, 242, 500, 250}, {4, 0, 4, 0});
  m.Img("mainWnd/installPrg2.png", {100, 242, 100 + 400 * percent / 100, 250}, {4, 0, 4, 0});
  m.Txt(TextOf(16, lang), {40, 266, 560, 286}, Style(12, kMuted, kCenter));
}

void Page3(Mock& m, int lang) {
  m.Img("mainWnd/bg4.png", {0, 0, 600, 400});
  TitleButtons(m);
  m.Txt("Quillon", {18, 0, 118, 35}, Style(14, kWhite, kLeft, true));
  m.Img("mainWnd/finishAnimate/029.png", {244, 60, 356, 172});
  m.Img("mainWnd/finished.png", {256, 72, 344, 160});
  m.Txt("Quillon", {20, 186, 580, 220}, Style(20, kInk, kCenter, true));
  m.Txt(TextOf(14, lang), {20, 220, 580, 242}, Style(14, kMuted, kCenter));
  m.Img("mainWnd/experienceBtn1.png", {200, 272, 400, 320}, {12, 12, 12, 12});
  m.Txt(TextOf(15, lang), {200, 272, 400, 320}, Style(18, kWhite, kCenter, true));
}

// Prompts: title row 0..30, icon and text 44..104, buttons 130..162.
struct Button { std::string text; int width; bool primary; };

void Prompt(Mock& m, int w, const std::string& title, const std::string& icon, const std::string& text,
            std::vector<Button> buttons, int captionSize) {
  m.Txt(title, {0, 0, w - 40, 30}, [&] { TextStyle s = Style(captionSize, kInk, kLeft, true); s.padding = {16, 0, 0, 0}; return s; }());
  m.Img("common/closebtnM_1.png", {w - 32, 4, w - 4, 28});
  if (icon.empty()) {
    TextStyle s = Style(13, kInk, kCenter);
    s.multiline = true;
    s.padding = {24, 10, 24, 24};
    m.Txt(text, {0, 30, w, 180}, s);
    return;
  }
  m.Img("MessageBoxWnd/" + icon, {28, 54, 68, 94});
  TextStyle s = Style(14, kInk);
  s.multiline = true;
  m.Txt(text, {82, 44, w - 24, 104}, s);
  int x = w - 20;
  for (size_t i = buttons.size(); i-- > 0;) {
    const Button& b = buttons[i];
    Box box{x - b.width, 130, x, 162};
    if (b.primary) m.Img("mainWnd/installBtn1.png", box, {10, 10, 10, 10});
    else m.Img("MessageBoxWnd/secondaryBtn1.png", box, {6, 6, 6, 6});
    m.Txt(b.text, box, Style(13, b.primary ? kWhite : kInk, kCenter));
    x -= b.width + 10;
  }
}

// The shadow the frame draws around the window, approximated, so the mock
// shows the window as it sits on a desktop.
Canvas OnDesk(Canvas& win) {
  Canvas desk(win.width() + 40, win.height() + 40);
  desk.Clear(Solid(Hex(0xC9CDD6)));
  Shape outline = RoundRect(20, 20, 20 + win.width(), 20 + win.height(), 6);
  desk.Shadow(outline, Hex(0x000000, 0.16f), 10, 1, 1);
  Canvas clipped(win.width(), win.height());
  clipped.Draw(win, 0, 0);
  Canvas mask(win.width(), win.height());
  mask.Fill(RoundRect(0, 0, win.width(), win.height(), 6), Hex(0xFFFFFF));
  for (int y = 0; y < win.height(); ++y)
    for (int x = 0; x < win.width(); ++x) {
      const float* p = win.Pixel(x, y);
      float a = mask.Pixel(x, y)[3];
      desk.Blend(20 + x, 20 + y, p[0] * a, p[1] * a, p[2] * a, p[3] * a);
    }
  return desk;
}

bool Save(const std::string& path, Canvas c) {
  Canvas d = OnDesk(c);
  return WriteFile(path, EncodePng(d.ToRgba8(), d.width(), d.height()));
}

}  // namespace

bool WriteMocks(const std::vector<Image>& images, const std::string& dir, const std::string& fontPath) {
  Fonts fonts(fontPath);
  if (!fonts.ok()) return false;
  bool ok = true;
  const char* tags[] = {"en", "zh"};
  for (int lang = 0; lang < 2; ++lang) {
    std::string t = tags[lang];
    { Mock m(images, fonts, 600, 400); Page0(m, lang, false); ok &= Save(dir + "/page0-" + t + ".png", m.canvas()); }
    { Mock m(images, fonts, 600, 400); Page0(m, lang, true); ok &= Save(dir + "/page0-tip-" + t + ".png", m.canvas()); }
    { Mock m(images, fonts, 600, 400); Page1(m, lang); ok &= Save(dir + "/page1-" + t + ".png", m.canvas()); }
    { Mock m(images, fonts, 600, 400); Page2(m, lang, 35); ok &= Save(dir + "/page2-" + t + ".png", m.canvas()); }
    { Mock m(images, fonts, 600, 400); Page3(m, lang); ok &= Save(dir + "/page3-" + t + ".png", m.canvas()); }
  }
  struct P { const char* file; int w; const char* title; const char* icon; std::string text; std::vector<Button> b; int cap; };
  std::vector<P> prompts = {
      {"MessageBox1Wnd", 360, "温馨提示", "", "安装程序检测到Quillon\r\n正在运行，请退出程序后再安装", {}, 14},
      {"MessageBox2Wnd", 360, "温馨提示", "", TextOf(104, 0), {}, 12},
      {"MessageBox2Wnd-zh", 360, "温馨提示", "", TextOf(104, 1), {}, 12},
      {"exitTipWnd", 360, "温馨提示", "icoQuest.png", "您确定要退出安装吗？", {{"是", 80, true}, {"否", 80, false}}, 14},
      {"NetworkTipWnd", 360, "温馨提示", "icoNetwork.png", "当前网络环境较差，请在网络通畅时进行重试",
       {{"稍后再试", 88, false}, {"重新安装", 88, true}}, 14},
      {"InstalledPathTipWnd", 400, "温馨提示", "icoWarn.png", "检测到计算机中已存在此软件，是否为您更新为最新版本？",
       {{"打开软件", 88, false}, {"安装最新版本", 112, true}}, 14},
  };
  for (const P& p : prompts) {
    Mock m(images, fonts, p.w, 180);
    Prompt(m, p.w, p.title, p.icon, p.text, p.b, p.cap);
    ok &= Save(dir + "/" + p.file + ".png", m.canvas());
  }
  return ok;
}

}  // namespace skinart
