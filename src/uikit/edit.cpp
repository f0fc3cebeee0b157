#include "uikit/edit.h"
#include "uikit/utf8.h"

#include "uikit/values.h"

namespace SkinUI {
namespace {

constexpr char32_t kBackspace = 8;
constexpr int kKeyReturn = 13;

}  // namespace

size_t Utf8Length(const std::string& s) {
  size_t n = 0;
  for (unsigned char c : s)
    if ((c & 0xC0) != 0x80) ++n;
  return n;
}

Edit::Edit() { style_ = kTextSingleLine | kTextVCenter; }

Control* Edit::GetInterface(const std::string& name) {
  return name == "Edit" ? this : Label::GetInterface(name);
}

const AttributeRegistry& Edit::Attributes() const {
  static const AttributeRegistry reg = [] {
    AttributeRegistry r(&Label::LabelAttributes());
    r.Add<Edit>("readonly", [](Edit& e, const std::string& v) { e.SetReadOnly(ParseBool(v)); });
    r.Add<Edit>("password", [](Edit& e, const std::string& v) { e.SetPassword(ParseBool(v)); });
    r.Add<Edit>("maxchar", [](Edit& e, const std::string& v) {
      int n = 0;
      if (ParseInt(v, &n)) e.SetMaxChar(n);
    });
    r.Add<Edit>("normalimage", [](Edit& e, const std::string& v) { e.normal_.Set(v); });
    r.Add<Edit>("hotimage", [](Edit& e, const std::string& v) { e.hotImg_.Set(v); });
    r.Add<Edit>("focusedimage", [](Edit& e, const std::string& v) { e.focusedImg_.Set(v); });
    r.Add<Edit>("disabledimage", [](Edit& e, const std::string& v) { e.disabledImg_.Set(v); });
    return r;
  }();
  return reg;
}

void Edit::SetText(const std::string& t) {
  if (t == text_) return;
  Label::SetText(t);
  Notify("textchanged");
}

void Edit::OnMouseEnter() {
  hot_ = true;
  Invalidate();
}

void Edit::OnMouseLeave() {
  hot_ = false;
  Invalidate();
}

bool Edit::OnChar(char32_t ch) {
  if (!enabled_ || readOnly_) return false;
  std::string t = text_;
  if (ch == kBackspace) {
    if (t.empty()) return true;
    size_t cut = t.size() - 1;
    while (cut > 0 && (static_cast<unsigned char>(t[cut]) & 0xC0) == 0x80) --cut;
    t.erase(cut);
  } else if (ch >= 0x20 && ch != 0x7F && ch <= 0x10FFFF && !(ch >= 0xD800 && ch <= 0xDFFF)) {
    if (maxChar_ > 0 && Utf8Length(t) >= static_cast<size_t>(maxChar_)) return true;
    AppendUtf8(ch, &t);
  } else {
    return false;
  }
  SetText(t);
  return true;
}

bool Edit::OnKeyDown(int key) {
  if (key != kKeyReturn || !enabled_) return false;
  Notify("return");
  return true;
}

void Edit::PaintStatusImage(PaintContext& ctx) {
  const ImageAttr* img = &normal_;
  if (!enabled_ && disabledImg_.IsSet()) img = &disabledImg_;
  else if (focused_ && focusedImg_.IsSet()) img = &focusedImg_;
  else if (hot_ && hotImg_.IsSet()) img = &hotImg_;
  DrawImageAttr(ctx, *img);
}

void Edit::PaintText(PaintContext& ctx) {
  if (text_.empty()) return;
  const std::string shown = password_ ? std::string(Utf8Length(text_), '*') : text_;
  DrawLabelText(ctx, shown, CurrentTextColor(ctx), style_ & ~kTextWordBreak);
}

}  // namespace SkinUI
