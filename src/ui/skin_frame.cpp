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

void CSkinFrame::ConfigureShadow() {
  const WindowAttributes& attrs = PaintManager().Window();
  const std::string* show = attrs.Get("showshadow");
  if (!show || !EqualsNoCase(*show, "true")) return;
  shadow_.Create(Host());
  shadow_.SetDpi(PaintManager().Dpi());
  if (const std::string* image = attrs.Get("shadowimage")) {
    Rect corner, hole;
    if (const std::string* t = attrs.Get("shadowcorner")) ParseRect(*t, &corner);
    if (const std::string* t = attrs.Get("shadowholeoffset")) ParseRect(*t, &hole);
    shadow_.SetImage(PaintManager().Images(), *image, corner, hole);
  }
  int v = 0;
  if (const std::string* t = attrs.Get("shadowsize"); t && ParseInt(*t, &v)) shadow_.SetSize(v);
  if (const std::string* t = attrs.Get("shadowsharpness"); t && ParseInt(*t, &v)) shadow_.SetSharpness(v);
  if (const std::string* t = attrs.Get("shadowdarkness"); t && ParseInt(*t, &v)) shadow_.SetDarkness(v);
  Point pos;
  if (const std::string* t = attrs.Get("shadowposition"); t && ParsePoint(*t, &pos)) shadow_.SetPosition(pos.x, pos.y);
  uint32_t color = 0;
  if (const std::string* t = attrs.Get("shadowcolor"); t && ParseColorRef(*t, &color)) shadow_.SetColor(color);
}

}  // namespace SkinUI
