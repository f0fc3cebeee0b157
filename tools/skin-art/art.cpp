#include "art.h"

#include <cmath>
#include <cstdio>

namespace skinart {

namespace palette {
// The brand colour and its states; everything else is neutral.
const uint32_t kBrand = 0x4338CA;
const uint32_t kBrandHot = 0x5048E5;
const uint32_t kBrandPushed = 0x3730A3;
const uint32_t kBrandDeep = 0x2E2A7A;   // far end of the header gradient
const uint32_t kAccent = 0x14B8A6;      // success and the logo's second tone
const uint32_t kWarn = 0xF59E0B;
const uint32_t kDanger = 0xE5484D;
const uint32_t kDangerPushed = 0xC43A3F;
const uint32_t kInk = 0x1F2333;         // body text
const uint32_t kMuted = 0x6B7085;       // secondary text and quiet glyphs
const uint32_t kLine = 0xCDD2DE;        // borders of boxes
const uint32_t kBoxLine = 0xA9B0C2;     // check box border, a step darker
const uint32_t kSurface = 0xF5F6FA;     // bottom bar
const uint32_t kDivider = 0xE6E8EF;
const uint32_t kTrack = 0xE4E6EE;       // progress track
const uint32_t kWhite = 0xFFFFFF;
const uint32_t kTipFill = 0xFFF6E6;
const uint32_t kTipLine = 0xF0B45C;
const uint32_t kTipInk = 0x8A5300;
}  // namespace palette

namespace {

using namespace palette;

// Sizes. The window is 600 x 400; the heights are where each page's brand
// header ends (its lower edge bows by the curve below).
constexpr int kWinW = 600, kWinH = 400;
constexpr float kHeroHeader = 206, kPageHeader = 96, kBandHeader = 35;
constexpr float kHeaderCurve = 3000;  // radius of the header's lower edge
constexpr int kBottomBarTop = 356;
constexpr int kBigBtnW = 200, kBigBtnH = 48;
constexpr float kBigBtnRadius = 8;
constexpr int kDirBtnW = 120, kDirBtnH = 36;
constexpr int kCustomW = 120, kCustomH = 30;
constexpr int kBackW = 56, kBackH = 24;
constexpr int kTitleBtnW = 32, kTitleBtnH = 28;
constexpr int kPromptCloseW = 28, kPromptCloseH = 24;
constexpr int kBoxRadius = 6;
constexpr int kLogo = 72, kFinished = 88, kSpinner = 112, kIcon = 40, kCheck = 16;
constexpr int kSpinnerFrames = 60;
// The finished page's ring closes once around the check mark and stays shut.
constexpr int kClosingFrames = 30;
constexpr float kSpinnerRadius = 50, kSpinnerStroke = 5.5f, kSpinnerSweep = 120;

Rgba C(uint32_t rgb, float a = 1) { return Hex(rgb, a); }

// A filled shape with a border of `width` pixels inside its edge.
void FillBordered(Canvas& c, const Shape& s, Rgba fill, Rgba border, float width) {
  if (border.a > 0) c.Fill(s, border);
  c.Fill(Grow(s, -width), fill);
}

Shape Tick(float cx, float cy, float size, float hw) {
  return Polyline({cx - 0.42f * size, cy + 0.02f * size, cx - 0.12f * size, cy + 0.31f * size,
                   cx + 0.44f * size, cy - 0.29f * size},
                  hw);
}

Shape Cross(float cx, float cy, float half, float hw) {
  return Union(Capsule(cx - half, cy - half, cx + half, cy + half, hw),
               Capsule(cx - half, cy + half, cx + half, cy - half, hw));
}

Shape Folder(float x, float y, float w, float h) {
  float r = 1.6f;
  Shape tab = RoundRect(x, y, x + w * 0.45f, y + h * 0.4f, r);
  Shape body = RoundRect(x, y + h * 0.2f, x + w, y + h, r);
  return Union(tab, body);
}

Shape QuestionMark(float cx, float cy, float s, float hw) {
  // Hook from the left over the top, down to the stem; then the dot.
  float r = 0.26f * s, hy = cy - 0.17f * s;
  float ex = cx + r * std::cos(40 * 3.14159265f / 180), ey = hy + r * std::sin(40 * 3.14159265f / 180);
  Shape hook = Arc(cx, hy, r, 180, 400, hw);
  Shape stem = Polyline({ex, ey, cx, hy + r + 0.06f * s, cx, cy + 0.14f * s}, hw);
  Shape dot = Circle(cx, cy + 0.34f * s, hw * 1.15f);
  return Union(Union(hook, stem), dot);
}

Shape Exclamation(float cx, float cy, float s, float hw) {
  return Union(Capsule(cx, cy - 0.3f * s, cx, cy + 0.1f * s, hw), Circle(cx, cy + 0.3f * s, hw * 1.1f));
}

Shape Globe(float cx, float cy, float r, float hw) {
  Shape outline = Ring(Circle(cx, cy, r), hw);
  Shape meridian = Ring(Ellipse(cx, cy, r * 0.42f, r), hw);
  Shape inside = Circle(cx, cy, r);
  Shape lat = Union(Capsule(cx - r, cy, cx + r, cy, hw),
                    Union(Capsule(cx - r, cy - r * 0.5f, cx + r, cy - r * 0.5f, hw),
                          Capsule(cx - r, cy + r * 0.5f, cx + r, cy + r * 0.5f, hw)));
  return Union(outline, Intersect(Union(meridian, lat), inside));
}

// The header of a page: the brand gradient with a slightly bowed lower edge
// and two faint discs for depth.
void Header(Canvas& c, float bottom) {
  // A band no taller than the title bar stays straight: the title buttons
  // and text sit on it right to its ends.
  bool band = bottom <= kBandHeader + 1;
  Shape area = RoundRect(-10, -10, kWinW + 10, bottom, 0);
  if (!band) area = Intersect(area, Circle(kWinW / 2.0f, bottom - kHeaderCurve, kHeaderCurve));
  c.Fill(area, Linear(0, 0, C(kBrandHot), kWinW * 0.7f, bottom * 1.6f, C(kBrandDeep)));
  if (!band) {
    c.Fill(Intersect(area, Circle(kWinW - 70, bottom * 0.15f, bottom * 0.75f)), C(kWhite, 0.05f));
    c.Fill(Intersect(area, Circle(kWinW + 10, bottom * 0.95f, bottom * 0.55f)), C(kWhite, 0.04f));
    c.Fill(Intersect(area, Circle(-20, bottom * 1.05f, bottom * 0.5f)), C(kWhite, 0.035f));
  }
}

Canvas Background(float header, bool bottomBar, int scale) {
  Canvas c(kWinW, kWinH, scale);
  c.Clear(Solid(C(kWhite)));
  if (bottomBar) {
    c.Fill(RoundRect(-10, kBottomBarTop, kWinW + 10, kWinH + 10, 0), C(kSurface));
    c.Fill(RoundRect(-10, kBottomBarTop, kWinW + 10, kBottomBarTop + 1, 0), C(kDivider));
  }
  Header(c, header);
  return c;
}

Canvas Logo(int scale) {
  Canvas c(kLogo, kLogo, scale);
  float m = 4;
  Shape tile = RoundRect(m, m, kLogo - m, kLogo - m, 17);
  c.Shadow(tile, C(0x10123A, 0.28f), 4, 0, 1.5f);
  c.Fill(tile, Linear(m, m, C(kAccent), kLogo - m, kLogo - m, C(kBrandHot)));
  // Speech bubble with its tail at the lower left.
  Shape bubble = Union(RoundRect(16, 18, 56, 47, 11),
                       Polygon({22, 42, 33, 46, 19.5f, 56.5f}));
  c.Fill(bubble, C(kWhite));
  // A quill laid across the bubble: a lens-shaped vane with a nib stroke.
  float cx = 37, cy = 31.5f;
  Shape vane = Intersect(Circle(cx - 13.1f, cy, 17.1f), Circle(cx + 13.1f, cy, 17.1f));
  vane = Rotate(vane, cx, cy, 45);
  Shape shaft = Rotate(Capsule(cx, cy - 2, cx, cy + 14.5f, 0.9f), cx, cy, 45);
  c.Fill(Union(vane, shaft), Linear(28, 40, C(kBrandPushed), 46, 22, C(kBrandHot)));
  c.Fill(Rotate(Capsule(cx, cy - 6, cx, cy + 8, 0.55f), cx, cy, 45), C(kWhite, 0.9f));
  return c;
}

Canvas Finished(int scale) {
  Canvas c(kFinished, kFinished, scale);
  float h = kFinished / 2.0f;
  c.Fill(Circle(h, h, h - 0.5f), C(kAccent, 0.16f));
  c.Fill(Circle(h, h, h - 7), Linear(0, 0, C(0x2CCFB9), kFinished, kFinished, C(kAccent)));
  c.Fill(Tick(h, h, 36, 3.2f), C(kWhite));
  return c;
}

Canvas Spinner(int frame, int scale) {
  Canvas c(kSpinner, kSpinner, scale);
  float h = kSpinner / 2.0f, hw = kSpinnerStroke / 2;
  c.Fill(Ring(Circle(h, h, kSpinnerRadius), hw), C(kBrand, 0.12f));
  // The head turns 360 / frames degrees a frame, so frame N wraps to 0.
  float head = -90 + 360.0f * frame / kSpinnerFrames, tail = head - kSpinnerSweep;
  Shape arc = Arc(h, h, kSpinnerRadius, tail, head, hw);
  Paint fade = [=](float x, float y) {
    float a = std::atan2(y - h, x - h) * 180 / 3.14159265f;
    while (a < tail) a += 360;
    while (a >= tail + 360) a -= 360;
    float t = a <= head ? (a - tail) / kSpinnerSweep : 0.0f;
    // Past the head (its round cap) stays full; near the tail it fades.
    if (a > head && a < head + 20) t = 1;
    return C(kBrand, t * t * (3 - 2 * t));
  };
  c.Fill(arc, fade);
  return c;
}

Canvas ClosingRing(int frame, int scale) {
  Canvas c(kSpinner, kSpinner, scale);
  float h = kSpinner / 2.0f, hw = kSpinnerStroke / 2;
  c.Fill(Ring(Circle(h, h, kSpinnerRadius), hw), C(kBrand, 0.12f));
  // Eased out, so the ring slows as it meets its start; the last frame is
  // the whole ring.
  float t = static_cast<float>(frame + 1) / kClosingFrames;
  float sweep = 360.0f * (1 - (1 - t) * (1 - t) * (1 - t));
  if (frame + 1 >= kClosingFrames) {
    c.Fill(Ring(Circle(h, h, kSpinnerRadius), hw), C(kBrand));
  } else if (sweep > 0.5f) {
    c.Fill(Arc(h, h, kSpinnerRadius, -90, -90 + sweep, hw), C(kBrand));
  }
  return c;
}

Canvas Check(bool ticked, int scale) {
  Canvas c(kCheck, kCheck, scale);
  Shape box = RoundRect(0.5f, 0.5f, kCheck - 0.5f, kCheck - 0.5f, 3.5f);
  if (ticked) {
    c.Fill(box, C(kBrand));
    c.Fill(Tick(8, 8, 10.5f, 1.15f), C(kWhite));
  } else {
    FillBordered(c, box, C(kWhite), C(kBoxLine), 1.2f);
  }
  return c;
}

Canvas TipBubble(int scale) {
  Canvas c(48, 30, scale);
  Shape s = Union(RoundRect(0.5f, 6, 47.5f, 29.5f, 5), Polygon({7.5f, 6.8f, 14, 0.6f, 20.5f, 6.8f}));
  FillBordered(c, s, C(kTipFill), C(kTipLine), 1);
  return c;
}

// state: 1 normal, 2 hot, 3 pushed.
Canvas BigButton(int state, int scale) {
  Canvas c(kBigBtnW, kBigBtnH, scale);
  uint32_t top = state == 1 ? kBrandHot : state == 2 ? 0x5F58F0 : kBrand;
  uint32_t bottom = state == 1 ? kBrand : state == 2 ? kBrandHot : kBrandPushed;
  c.Fill(RoundRect(0, 0, kBigBtnW, kBigBtnH, kBigBtnRadius), Linear(0, 0, C(top), 0, kBigBtnH, C(bottom)));
  return c;
}

Canvas DirButton(int state, int scale) {
  Canvas c(kDirBtnW, kDirBtnH, scale);
  Shape box = RoundRect(0.5f, 0.5f, kDirBtnW - 0.5f, kDirBtnH - 0.5f, kBoxRadius);
  Rgba fill = state == 1 ? C(kWhite) : Mix(C(kWhite), C(kBrand), state == 2 ? 0.06f : 0.12f);
  Rgba line = state == 1 ? C(kLine) : Mix(C(kWhite), C(kBrand), state == 2 ? 0.55f : 0.8f);
  FillBordered(c, box, fill, line, 1);
  c.Fill(Folder(14, 11.5f, 16, 13), C(kBrand));
  c.Fill(RoundRect(15.2f, 16.5f, 28.8f, 23.3f, 1), C(kWhite, 0.28f));
  return c;
}

// The prompts' second button: the outline of the folder button, plain.
Canvas SecondaryButton(int state, int scale) {
  Canvas c(48, 32, scale);
  Shape box = RoundRect(0.5f, 0.5f, 47.5f, 31.5f, kBoxRadius);
  Rgba fill = state == 1 ? C(kWhite) : Mix(C(kWhite), C(kBrand), state == 2 ? 0.06f : 0.12f);
  Rgba line = state == 1 ? C(kLine) : Mix(C(kWhite), C(kBrand), state == 2 ? 0.55f : 0.8f);
  FillBordered(c, box, fill, line, 1);
  return c;
}

Canvas CustomButton(int state, int scale) {
  Canvas c(kCustomW, kCustomH, scale);
  Shape pill = RoundRect(0.5f, 0.5f, kCustomW - 0.5f, kCustomH - 0.5f, kCustomH / 2.0f);
  Rgba fill = state == 1 ? C(kWhite, 0) : C(kBrand, 0.08f);
  c.Fill(Ring(pill, 0.5f), C(kBrand, state == 1 ? 0.45f : 1.0f));
  c.Fill(Grow(pill, -1), fill);
  return c;
}

Canvas BackButton(int state, int scale) {
  Canvas c(kBackW, kBackH, scale);
  // Only the chevron's disc lights up: the text beside it is measured at run
  // time and the stretched middle of this image stays clear.
  if (state > 1) c.Fill(Circle(12, 12, 11.5f), C(kWhite, state == 2 ? 0.16f : 0.26f));
  c.Fill(Polyline({14, 7, 9, 12, 14, 17}, 1.1f), C(kWhite));
  return c;
}

Canvas EditBox(int scale) {
  Canvas c(48, 36, scale);
  FillBordered(c, RoundRect(0.5f, 0.5f, 47.5f, 35.5f, kBoxRadius), C(kWhite), C(kLine), 1);
  return c;
}

Canvas ProgressPart(bool fill, int scale) {
  Canvas c(24, 8, scale);
  Shape pill = RoundRect(0, 0, 24, 8, 4);
  if (fill) c.Fill(pill, Linear(0, 0, C(kBrandHot), 0, 8, C(kBrand)));
  else c.Fill(pill, C(kTrack));
  return c;
}

Canvas ComboBox(int scale) {
  Canvas c(40, 26, scale);
  FillBordered(c, RoundRect(0.5f, 0.5f, 39.5f, 25.5f, 5), C(kWhite), C(kLine), 1);
  c.Fill(Polyline({26.5f, 11, 30, 14.5f, 33.5f, 11}, 0.9f), C(kMuted));
  return c;
}

// Title buttons of the main window: white glyphs on the brand header.
Canvas TitleButton(bool close, int state, int scale) {
  Canvas c(kTitleBtnW, kTitleBtnH, scale);
  Shape plate = RoundRect(2, 2, kTitleBtnW - 2, kTitleBtnH - 2, 6);
  if (close && state > 1) c.Fill(plate, C(state == 2 ? kDanger : kDangerPushed));
  else if (state > 1) c.Fill(plate, C(kWhite, state == 2 ? 0.16f : 0.26f));
  float cx = kTitleBtnW / 2.0f, cy = kTitleBtnH / 2.0f;
  if (close) c.Fill(Cross(cx, cy, 4.5f, 0.8f), C(kWhite));
  else c.Fill(Capsule(cx - 5, cy, cx + 5, cy, 0.75f), C(kWhite));
  return c;
}

// The prompts' close button: a quiet glyph on white.
Canvas PromptClose(int state, int scale) {
  Canvas c(kPromptCloseW, kPromptCloseH, scale);
  if (state > 1) c.Fill(RoundRect(2, 1, kPromptCloseW - 2, kPromptCloseH - 1, 5), C(state == 2 ? 0xEEF0F5 : 0xE1E4EC));
  c.Fill(Cross(kPromptCloseW / 2.0f, kPromptCloseH / 2.0f, 4, 0.8f), C(state == 1 ? kMuted : kInk));
  return c;
}

Canvas IconQuestion(int scale) {
  Canvas c(kIcon, kIcon, scale);
  c.Fill(Circle(20, 20, 18), Linear(0, 0, C(kBrandHot), 0, 40, C(kBrand)));
  c.Fill(QuestionMark(20, 20, 24, 1.8f), C(kWhite));
  return c;
}

Canvas IconWarning(int scale) {
  Canvas c(kIcon, kIcon, scale);
  // A rounded triangle: a smaller one grown outward by the corner radius.
  Shape tri = Grow(Polygon({20, 7.5f, 33.5f, 31.5f, 6.5f, 31.5f}), 3);
  c.Fill(tri, Linear(0, 4, C(0xFBBF24), 0, 36, C(kWarn)));
  c.Fill(Exclamation(20, 22.5f, 20, 1.8f), C(kWhite));
  return c;
}

Canvas IconNetwork(int scale) {
  Canvas c(kIcon, kIcon, scale);
  c.Fill(Circle(20, 20, 18), Linear(0, 0, C(kBrandHot), 0, 40, C(kBrand)));
  c.Fill(Globe(20, 20, 10.5f, 0.85f), C(kWhite));
  return c;
}

}  // namespace

std::string ScaledPath(const std::string& path, int scale) {
  if (scale == 1) return path;
  size_t dot = path.rfind('.');
  return path.substr(0, dot) + "@" + std::to_string(scale) + "x" + path.substr(dot);
}

std::vector<Image> DrawAll(int scale) {
  std::vector<Image> out;
  auto add = [&](const std::string& path, Canvas c) { out.push_back({ScaledPath(path, scale), std::move(c)}); };
  const std::string m = "mainWnd/";
  add(m + "bg1.png", Background(kHeroHeader, true, scale));
  add(m + "bg2.png", Background(kPageHeader, false, scale));
  add(m + "bg3.png", Background(kBandHeader, false, scale));
  add(m + "bg4.png", Background(kBandHeader, false, scale));
  add(m + "logo.png", Logo(scale));
  add(m + "tipLbl.png", TipBubble(scale));
  add(m + "finished.png", Finished(scale));
  add(m + "Cb1.png", Check(false, scale));
  add(m + "Cb2.png", Check(true, scale));
  for (int s = 1; s <= 3; ++s) {
    add(m + "backBtn" + std::to_string(s) + ".png", BackButton(s, scale));
    add(m + "chDirBtn" + std::to_string(s) + ".png", DirButton(s, scale));
    add(m + "experienceBtn" + std::to_string(s) + ".png", BigButton(s, scale));
    add(m + "installBtn" + std::to_string(s) + ".png", BigButton(s, scale));
  }
  add(m + "customeBtn1.png", CustomButton(1, scale));
  add(m + "customeBtn2.png", CustomButton(2, scale));
  add(m + "installDirEdit.png", EditBox(scale));
  add(m + "installPrg1.png", ProgressPart(false, scale));
  add(m + "installPrg2.png", ProgressPart(true, scale));
  add(m + "languageCombo.png", ComboBox(scale));
  for (int f = 0; f < kSpinnerFrames; ++f) {
    char name[64];
    std::snprintf(name, sizeof name, "installBtnAnimate/%03d.png", f);
    add(m + name, Spinner(f, scale));
  }
  for (int f = 0; f < kClosingFrames; ++f) {
    char name[64];
    std::snprintf(name, sizeof name, "finishAnimate/%03d.png", f);
    add(m + name, ClosingRing(f, scale));
  }
  // The disabled ("4") images are left out: the layouts name them and a
  // missing image is simply not drawn.
  for (int s = 1; s <= 3; ++s) {
    add("common/minbtn" + std::to_string(s) + ".png", TitleButton(false, s, scale));
    add("common/closebtn" + std::to_string(s) + ".png", TitleButton(true, s, scale));
    add("common/closebtnM_" + std::to_string(s) + ".png", PromptClose(s, scale));
  }
  for (int s = 1; s <= 3; ++s) add("MessageBoxWnd/secondaryBtn" + std::to_string(s) + ".png", SecondaryButton(s, scale));
  add("MessageBoxWnd/icoNetwork.png", IconNetwork(scale));
  add("MessageBoxWnd/icoQuest.png", IconQuestion(scale));
  add("MessageBoxWnd/icoWarn.png", IconWarning(scale));
  return out;
}

}  // namespace skinart
