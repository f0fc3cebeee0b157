#include "ui/skin_frame.h"

#include <cctype>
#include <cstdlib>
#include <utility>

#include "uikit/values.h"

namespace SkinUI {
namespace {

bool EqualsNoCase(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i]; ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return i == a.size() && !b[i];
}

// "#RRGGBB"-like text as written for the shadow: an optional "#", then one
// hexadecimal number taken as a COLORREF (red in the low byte).
bool ParseColorRef(const std::string& text, uint32_t* out) {
  size_t at = 0;
  if (at < text.size() && text[at] == '#') ++at;
  if (at >= text.size()) return false;
  char* end = nullptr;
  const unsigned long v = std::strtoul(text.c_str() + at, &end, 16);
  if (end == text.c_str() + at || *end != '\0') return false;
  *out = static_cast<uint32_t>(v);
  return true;
}

}  // namespace

CSkinFrame::CSkinFrame(SkinDescriptor skin) : skin_(std::move(skin)) {}

CSkinFrame::~CSkinFrame() = default;

bool CSkinFrame::FilterKeyDown(int key) {
  if (key == kKeyEscape) return true;
  return WindowImplBase::FilterKeyDown(key);
}

void CSkinFrame::OnFrameCreated() {
  StripFrameStyles(Host(), false);
  ConfigureShadow();
}

void CSkinFrame::OnDpiChanged() { shadow_.SetDpi(PaintManager().Dpi()); }

namespace {
enum ShadowAttribute { kShow, kImage, kCorner, kHoleOffset, kSize, kSharpness, kDarkness, kPosition, kColour };
}  // namespace

const std::vector<std::string>& CSkinFrame::ShadowAttributes() {
  // In ShadowAttribute's order.
  static const std::vector<std::string> names = {"showshadow", "shadowimage", "shadowcorner",
                                                 "shadowholeoffset", "shadowsize", "shadowsharpness",
                                                 "shadowdarkness", "shadowposition", "shadowcolor"};
  return names;
}

void CSkinFrame::ConfigureShadow() {
  const WindowAttributes& attrs = PaintManager().Window();
  auto get = [&](ShadowAttribute a) { return attrs.Get(ShadowAttributes()[a]); };
  const std::string* show = get(kShow);
  if (!show || !EqualsNoCase(*show, "true")) return;
  shadow_.Create(Host());
  shadow_.SetDpi(PaintManager().Dpi());
  if (const std::string* image = get(kImage)) {
    Rect corner, hole;
    if (const std::string* t = get(kCorner)) ParseRect(*t, &corner);
    if (const std::string* t = get(kHoleOffset)) ParseRect(*t, &hole);
    shadow_.SetImage(PaintManager().Images(), *image, corner, hole);
  }
  int v = 0;
  if (const std::string* t = get(kSize); t && ParseInt(*t, &v)) shadow_.SetSize(v);
  if (const std::string* t = get(kSharpness); t && ParseInt(*t, &v)) shadow_.SetSharpness(v);
  if (const std::string* t = get(kDarkness); t && ParseInt(*t, &v)) shadow_.SetDarkness(v);
  Point pos;
  if (const std::string* t = get(kPosition); t && ParsePoint(*t, &pos)) shadow_.SetPosition(pos.x, pos.y);
  uint32_t color = 0;
  if (const std::string* t = get(kColour); t && ParseColorRef(*t, &color)) shadow_.SetColor(color);
}

}  // namespace SkinUI
