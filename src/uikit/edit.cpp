#include "uikit/edit.h"

#include <algorithm>

#include "uikit/paint_manager.h"
#include "uikit/text.h"
#include "uikit/text_table.h"
#include "uikit/utf8.h"
#include "uikit/values.h"

namespace SkinUI {
namespace {

bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// Letters, digits and everything beyond ASCII make words; spaces and the
// punctuation of paths (\ / : . - and the like) end them, so a double click
// in a folder path takes one folder's name.
bool IsWordByte(unsigned char c) { return c >= 0x80 || (c >= '0' && c <= '9') || ((c | 0x20) >= 'a' && (c | 0x20) <= 'z') || c == '_'; }

// What typing or pasting may insert: whole, valid code points; line breaks
// and other control characters of pasted text are dropped.
std::string Insertable(const std::string& s, size_t maxPoints) {
  std::string out;
  size_t points = 0;
  for (char32_t c : DecodeUtf8(s)) {
    if (c < 0x20 || c == 0x7F || c == 0xFFFD) continue;
    if (points == maxPoints) break;
    AppendUtf8(c, &out);
    ++points;
  }
  return out;
}

}  // namespace

size_t Utf8Length(const std::string& s) {
  size_t n = 0;
  for (char c : s)
    if (!IsContinuation(c)) ++n;
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
  caret_ = anchor_ = text_.size();
  composition_.clear();
  KeepCaretInView();
  Notify("textchanged");
}

void Edit::Changed(const std::string& t, size_t caret) {
  const bool differs = t != text_;
  text_ = t;
  caret_ = anchor_ = std::min(caret, text_.size());
  KeepCaretInView();
  RestartBlink();
  Invalidate();
  if (differs) Notify("textchanged");
}

void Edit::SetSelection(size_t anchor, size_t caret) {
  auto clamp = [this](size_t p) {
    p = std::min(p, text_.size());
    while (p > 0 && p < text_.size() && IsContinuation(text_[p])) --p;
    return p;
  };
  anchor_ = clamp(anchor);
  caret_ = clamp(caret);
  KeepCaretInView();
  RestartBlink();
  Invalidate();
}

bool Edit::ReplaceSelection(const std::string& s) {
  if (!enabled_ || readOnly_) return false;
  const size_t start = SelectionStart(), end = SelectionEnd();
  const size_t kept = Utf8Length(text_) - Utf8Length(text_.substr(start, end - start));
  const size_t room = maxChar_ > 0 ? (kept >= static_cast<size_t>(maxChar_) ? 0 : maxChar_ - kept) : std::string::npos;
  const std::string add = Insertable(s, room);
  if (add.empty() && start == end) return false;
  Changed(text_.substr(0, start) + add + text_.substr(end), start + add.size());
  return true;
}

size_t Edit::Prev(size_t pos) const {
  if (pos == 0) return 0;
  --pos;
  while (pos > 0 && IsContinuation(text_[pos])) --pos;
  return pos;
}

size_t Edit::Next(size_t pos) const {
  if (pos >= text_.size()) return text_.size();
  ++pos;
  while (pos < text_.size() && IsContinuation(text_[pos])) ++pos;
  return pos;
}

size_t Edit::WordStart(size_t pos) const {
  while (pos > 0 && !IsWordByte(static_cast<unsigned char>(text_[Prev(pos)]))) pos = Prev(pos);
  while (pos > 0 && IsWordByte(static_cast<unsigned char>(text_[Prev(pos)]))) pos = Prev(pos);
  return pos;
}

size_t Edit::WordEnd(size_t pos) const {
  while (pos < text_.size() && !IsWordByte(static_cast<unsigned char>(text_[pos]))) pos = Next(pos);
  while (pos < text_.size() && IsWordByte(static_cast<unsigned char>(text_[pos]))) pos = Next(pos);
  return pos;
}

void Edit::MoveCaret(size_t pos, bool extend) {
  SetSelection(extend ? anchor_ : pos, pos);
}

Edit::Run Edit::Measure(const std::string& text) const {
  Run run;
  GlyphSource* glyphs = manager_ ? manager_->GetGlyphSource() : nullptr;
  const FontSpec* font = manager_ ? &manager_->Fonts().Get(font_) : nullptr;
  int x = 0;
  for (size_t i = 0; i < text.size();) {
    size_t next = i + 1;
    while (next < text.size() && IsContinuation(text[next])) ++next;
    const std::string shown = password_ ? std::string("*") : text.substr(i, next - i);
    run.offsets.push_back(i);
    run.xs.push_back(x);
    run.shown += shown;
    if (glyphs && font)
      for (char32_t c : DecodeUtf8(shown)) x += glyphs->Cached(*font, c).advance;
    i = next;
  }
  run.offsets.push_back(text.size());
  run.xs.push_back(x);
  return run;
}

int Edit::CaretX() const {
  const Run run = Measure(text_.substr(0, caret_) + composition_);
  if (composition_.empty()) return run.xs.back();
  // Inside the unfinished text the input method's own cursor counts.
  const size_t inComposition = Utf8Length(text_.substr(0, caret_)) + static_cast<size_t>(std::max(compositionCursor_, 0));
  return run.xs[std::min(inComposition, run.xs.size() - 1)];
}

void Edit::KeepCaretInView() {
  const Rect area = NativeRect();
  const int width = std::max(area.Width() - 1, 1);  // the caret's column stays inside
  const int x = CaretX();
  const int total = Measure(text_ + composition_).xs.back();
  if (x - scroll_ > width) scroll_ = x - width;
  // Moving left past the edge shows a third of the field more, so the
  // text before the caret can be read.
  if (x < scroll_) scroll_ = std::max(0, x - width / 3);
  // Never more scrolled than the text needs.
  scroll_ = std::max(0, std::min(scroll_, total - width));
}

Rect Edit::CaretRect() const {
  const Rect area = NativeRect();
  int height = area.Height();
  if (manager_ && manager_->GetGlyphSource())
    height = std::min(height, manager_->GetGlyphSource()->CachedMetrics(manager_->Fonts().Get(font_)).height);
  const int top = area.top + (area.Height() - height) / 2;
  const int x = area.left + CaretX() - scroll_;
  return {x, top, x + HairlineWidth(Dpi()), top + height};
}

size_t Edit::PositionAt(int x) const {
  const Run run = Measure(text_);
  const int at = x - NativeRect().left + scroll_;
  // The nearer edge of the code point under x.
  for (size_t i = 0; i + 1 < run.xs.size(); ++i)
    if (at < (run.xs[i] + run.xs[i + 1] + 1) / 2) return run.offsets[i];
  return text_.size();
}

NativeEditLook Edit::NativeLook() const {
  NativeEditLook look;
  look.rect = NativeRect();
  look.text = text_;
  if (manager_) {
    const FontSpec& font = manager_->Fonts().Get(font_);
    look.fontFace = font.face;
    look.fontSize = font.size;
    look.bold = font.bold;
    look.textColor = textColor_ ? textColor_ : manager_->Window().defaultFontColor;
  }
  look.bkColor = bkColor_ ? bkColor_ : 0xFFFFFFFF;
  look.maxChars = maxChar_;
  look.password = password_;
  look.readOnly = readOnly_;
  // Asked for while the focus arrives, before OnSetFocus selects the text.
  look.selectAll = manager_ && manager_->FocusFromKeyboard();
  return look;
}

void Edit::SetNativeActive(bool active) {
  if (native_ == active) return;
  native_ = active;
  if (native_ && manager_) manager_->KillTimer(this, kCaretTimerId);
  caretShown_ = false;
  Invalidate();
}

void Edit::SetPos(const Rect& r) {
  Label::SetPos(r);
  KeepCaretInView();
}

void Edit::OnMouseEnter() {
  hot_ = true;
  Invalidate();
}

void Edit::OnMouseLeave() {
  hot_ = false;
  Invalidate();
}

void Edit::OnMouseDown(Point p) {
  if (!enabled_ || native_) return;
  const size_t at = PositionAt(p.x);
  const int clicks = manager_ ? manager_->ClickCount() : 1;
  const bool shift = manager_ && (manager_->KeyModifiers() & kModShift);
  if (clicks >= 3) {
    SelectAll();
  } else if (clicks == 2) {
    // The word under the pointer, or the run of separators there.
    size_t start = at, end = at;
    if (at < text_.size() && IsWordByte(static_cast<unsigned char>(text_[at]))) {
      while (start > 0 && IsWordByte(static_cast<unsigned char>(text_[Prev(start)]))) start = Prev(start);
      end = WordEnd(at);
    } else {
      end = Next(at);
    }
    SetSelection(start, end);
  } else {
    MoveCaret(at, shift);
    selecting_ = true;
  }
}

void Edit::OnMouseMove(Point p) {
  if (selecting_) MoveCaret(PositionAt(p.x), true);
}

void Edit::OnMouseUp(Point) { selecting_ = false; }

bool Edit::OnChar(char32_t ch) {
  if (!enabled_ || readOnly_) return false;
  // BackSpace, Return and the Ctrl letters come as keys (OnKeyDown); their
  // characters, which Windows also sends, are not text.
  if (ch < 0x20 || ch == 0x7F) return ch == 8 || ch == 13 || (ch >= 1 && ch <= 26);
  if (ch > 0x10FFFF || (ch >= 0xD800 && ch <= 0xDFFF)) return false;
  std::string s;
  AppendUtf8(ch, &s);
  ReplaceSelection(s);
  return true;
}

bool Edit::OnKeyDown(int key) {
  if (!enabled_) return false;
  if (key == kKeyReturn) {
    Notify("return");
    return true;
  }
  const int mods = manager_ ? manager_->KeyModifiers() : 0;
  const bool shift = (mods & kModShift) != 0, ctrl = (mods & kModControl) != 0;
  const bool editable = !readOnly_;
  switch (key) {
    case kKeyLeft:
      if (!shift && caret_ != anchor_ && !ctrl) MoveCaret(SelectionStart(), false);
      else MoveCaret(ctrl ? WordStart(caret_) : Prev(caret_), shift);
      return true;
    case kKeyRight:
      if (!shift && caret_ != anchor_ && !ctrl) MoveCaret(SelectionEnd(), false);
      else MoveCaret(ctrl ? WordEnd(caret_) : Next(caret_), shift);
      return true;
    case kKeyHome: MoveCaret(0, shift); return true;
    case kKeyEnd: MoveCaret(text_.size(), shift); return true;
    case kKeyBack:
      if (!editable) return true;
      if (caret_ == anchor_) SetSelection(ctrl ? WordStart(caret_) : Prev(caret_), caret_);
      ReplaceSelection(std::string());
      return true;
    case kKeyDelete:
      if (!editable) return true;
      if (shift && caret_ != anchor_) {  // Shift+Delete cuts, as Windows' fields do
        if (manager_) manager_->SetClipboardText(SelectedText());
      } else if (caret_ == anchor_) {
        SetSelection(caret_, ctrl ? WordEnd(caret_) : Next(caret_));
      }
      ReplaceSelection(std::string());
      return true;
    default: break;
  }
  if (!ctrl) return false;
  switch (key) {
    case 'A': SelectAll(); return true;
    case 'C':
      if (manager_ && caret_ != anchor_ && !password_) manager_->SetClipboardText(SelectedText());
      return true;
    case 'X':
      if (manager_ && caret_ != anchor_ && !password_ && editable) {
        manager_->SetClipboardText(SelectedText());
        ReplaceSelection(std::string());
      }
      return true;
    case 'V':
      if (manager_ && editable) ReplaceSelection(manager_->ClipboardText());
      return true;
    default: return false;
  }
}

void Edit::OnComposition(const std::string& text, int cursor) {
  if (!enabled_ || readOnly_) return;
  composition_ = text;
  compositionCursor_ = cursor;
  KeepCaretInView();
  Invalidate();
}

void Edit::RestartBlink() {
  if (!focused_ || native_ || !manager_) return;
  caretShown_ = true;
  manager_->SetTimer(this, kCaretTimerId, kCaretBlinkMs);
  Invalidate();
}

void Edit::OnSetFocus() {
  Label::OnSetFocus();
  // A field reached with the keyboard offers its whole text for typing
  // over, as the system's fields do.
  if (manager_ && manager_->FocusFromKeyboard()) SelectAll();
  RestartBlink();
}

void Edit::OnKillFocus() {
  if (manager_) manager_->KillTimer(this, kCaretTimerId);
  caretShown_ = false;
  selecting_ = false;
  composition_.clear();
  Label::OnKillFocus();
}

void Edit::OnTimer(int id) {
  if (id != kCaretTimerId) {
    Label::OnTimer(id);
    return;
  }
  caretShown_ = !caretShown_;
  Invalidate();
}

void Edit::PaintStatusImage(PaintContext& ctx) {
  const ImageAttr* img = &normal_;
  if (!enabled_ && disabledImg_.IsSet()) img = &disabledImg_;
  else if (focused_ && focusedImg_.IsSet()) img = &focusedImg_;
  else if (hot_ && hotImg_.IsSet()) img = &hotImg_;
  DrawImageAttr(ctx, *img);
}

void Edit::PaintText(PaintContext& ctx) {
  if (native_ || !ctx.glyphs) return;
  const Rect area = NativeRect();
  if (area.IsEmpty()) return;
  ClipScope clip(ctx.surface, area);
  const std::string before = text_.substr(0, caret_), after = text_.substr(caret_);
  const std::string all = before + composition_ + after;
  const Run run = Measure(all);
  const FontSpec& font = ctx.fonts.Get(font_);
  const FontMetrics& metrics = ctx.glyphs->CachedMetrics(font);
  const int lineHeight = std::min(area.Height(), metrics.height);
  const int top = area.top + (area.Height() - lineHeight) / 2;
  const int left = area.left - scroll_;
  auto xAt = [&](size_t byteInAll) {
    for (size_t i = 0; i < run.offsets.size(); ++i)
      if (run.offsets[i] >= byteInAll) return run.xs[i];
    return run.xs.back();
  };
  // The selection of the committed text (positions after the caret move by
  // the unfinished text shown before them).
  const bool selected = caret_ != anchor_ && focused_;
  auto screenX = [&](size_t p) { return left + xAt(p > caret_ ? p + composition_.size() : p); };
  const int x0 = selected ? screenX(SelectionStart()) : 0, x1 = selected ? screenX(SelectionEnd()) : 0;
  if (selected) ctx.surface.FillRect({x0, top, x1, top + lineHeight}, 0xFF3390FF);
  const uint32_t colour = CurrentTextColor(ctx);
  // Drawn as one unclipped line from the scrolled-out left edge; the field
  // clips it.
  const Rect line{left, area.top, left + run.xs.back() + 1, area.bottom};
  if (!selected) {
    DrawText(ctx.surface, *ctx.glyphs, font, run.shown, line, colour, kTextSingleLine | kTextVCenter);
  } else {
    // Selected text in white over the highlight, the rest in the text colour.
    {
      ClipScope outside(ctx.surface, {area.left, area.top, x0, area.bottom});
      DrawText(ctx.surface, *ctx.glyphs, font, run.shown, line, colour, kTextSingleLine | kTextVCenter);
    }
    {
      ClipScope inside(ctx.surface, {x0, area.top, x1, area.bottom});
      DrawText(ctx.surface, *ctx.glyphs, font, run.shown, line, 0xFFFFFFFF, kTextSingleLine | kTextVCenter);
    }
    {
      ClipScope outside(ctx.surface, {x1, area.top, area.right, area.bottom});
      DrawText(ctx.surface, *ctx.glyphs, font, run.shown, line, colour, kTextSingleLine | kTextVCenter);
    }
  }
  if (!composition_.empty()) {
    // The unfinished text is underlined where it stands.
    const int x0 = left + xAt(before.size()), x1 = left + xAt(before.size() + composition_.size());
    ctx.surface.FillRect({x0, top + lineHeight - HairlineWidth(ctx.dpi), x1, top + lineHeight}, colour);
  }
  if (focused_ && caretShown_) {
    const Rect caret = CaretRect();
    ctx.surface.FillRect(caret, colour);
  }
}

}  // namespace SkinUI
