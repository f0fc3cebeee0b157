#include "uikit/text.h"

#include <algorithm>

namespace SkinUI {
namespace {

bool IsCjk(char32_t c) {
  return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFFEF) || (c >= 0x20000 && c <= 0x3FFFF);
}

// Marks that must not start a line ("，" "。" "）" ...) or end one ("（" "《").
bool NoLineStart(char32_t c) {
  static const char32_t kMarks[] = U"，。、；：？！）】》」』〕〉”’…·%,.;:?!)]}";
  for (const char32_t* p = kMarks; *p; ++p) {
    if (*p == c) return true;
  }
  return false;
}
bool NoLineEnd(char32_t c) {
  static const char32_t kMarks[] = U"（【《「『〔〈“‘([{";
  for (const char32_t* p = kMarks; *p; ++p) {
    if (*p == c) return true;
  }
  return false;
}

bool IsSpace(char32_t c) { return c == U' ' || c == U'\t' || c == 0x3000; }

// May a line break fall between a and b?
bool CanBreak(char32_t a, char32_t b) {
  if (IsSpace(b) || NoLineStart(b) || NoLineEnd(a)) return false;
  if (IsSpace(a)) return true;
  return IsCjk(a) || IsCjk(b);
}

int Advance(GlyphSource& g, const FontSpec& f, char32_t c) {
  if (c == U'\t') return 4 * g.Cached(f, U' ').advance;
  return g.Cached(f, c).advance;
}

int Width(GlyphSource& g, const FontSpec& f, const std::u32string& s) {
  int w = 0;
  for (char32_t c : s) w += Advance(g, f, c);
  return w;
}

void TrimTrailingSpaces(std::u32string& s) {
  while (!s.empty() && IsSpace(s.back())) s.pop_back();
}

void WrapParagraph(GlyphSource& g, const FontSpec& f, const std::u32string& p, int maxWidth,
                   std::vector<TextLine>& out) {
  size_t start = 0;
  while (true) {
    size_t i = start, lastBreak = std::u32string::npos;
    int width = 0;
    bool broke = false;
    while (i < p.size()) {
      const char32_t c = p[i];
      const int adv = Advance(g, f, c);
      if (i > start && CanBreak(p[i - 1], c)) lastBreak = i;
      if (!IsSpace(c) && width + adv > maxWidth && i > start) {
        const size_t end = lastBreak != std::u32string::npos ? lastBreak : i;
        std::u32string line = p.substr(start, end - start);
        TrimTrailingSpaces(line);
        out.push_back({line, Width(g, f, line)});
        start = end;
        while (start < p.size() && IsSpace(p[start])) ++start;
        broke = true;
        break;
      }
      width += adv;
      ++i;
    }
    if (!broke) {
      std::u32string line = p.substr(start);
      TrimTrailingSpaces(line);
      out.push_back({line, Width(g, f, line)});
      return;
    }
    if (start >= p.size()) return;
  }
}

}  // namespace

std::vector<TextLine> LayoutText(GlyphSource& glyphs, const FontSpec& font, const std::string& text, int maxWidth,
                                 unsigned style) {
  const std::u32string all = DecodeUtf8(text);
  std::vector<TextLine> lines;
  const bool single = (style & kTextSingleLine) != 0;
  const bool wrap = !single && (style & kTextWordBreak) && maxWidth > 0;
  std::u32string para;
  auto flush = [&] {
    if (wrap) {
      WrapParagraph(glyphs, font, para, maxWidth, lines);
    } else {
      lines.push_back({para, Width(glyphs, font, para)});
    }
    para.clear();
  };
  for (char32_t c : all) {
    if (c == U'\r') continue;
    if (c == U'\n') {
      if (single) continue;
      flush();
      continue;
    }
    para.push_back(c);
  }
  flush();
  return lines;
}

Size MeasureText(GlyphSource& glyphs, const FontSpec& font, const std::string& text, int maxWidth, unsigned style) {
  const std::vector<TextLine> lines = LayoutText(glyphs, font, text, maxWidth, style);
  Size size;
  for (const TextLine& l : lines) size.cx = std::max(size.cx, l.width);
  size.cy = static_cast<int>(lines.size()) * glyphs.CachedMetrics(font).height;
  return size;
}

void DrawText(Surface& surface, GlyphSource& glyphs, const FontSpec& font, const std::string& text, Rect rect,
              uint32_t argb, unsigned style) {
  if (rect.IsEmpty() || (argb >> 24) == 0 || text.empty()) return;
  std::vector<TextLine> lines = LayoutText(glyphs, font, text, rect.Width(), style);
  const FontMetrics& m = glyphs.CachedMetrics(font);
  const int lineHeight = std::max(m.height, 1);

  if (style & kTextEndEllipsis) {
    const std::u32string dots = U"...";
    const int dotsWidth = Width(glyphs, font, dots);
    for (TextLine& l : lines) {
      if (l.width <= rect.Width()) continue;
      int width = Width(glyphs, font, l.text);
      while (!l.text.empty() && width + dotsWidth > rect.Width()) {
        width -= Advance(glyphs, font, l.text.back());
        l.text.pop_back();
      }
      TrimTrailingSpaces(l.text);
      l.text += dots;
      l.width = Width(glyphs, font, l.text);
    }
  }

  const int total = static_cast<int>(lines.size()) * lineHeight;
  int y = rect.top;
  if (style & kTextBottom) y = rect.bottom - total;
  else if (style & kTextVCenter) y = rect.top + (rect.Height() - total) / 2;

  ClipScope clip(surface, rect);
  const bool underline = font.underline || (style & kTextUnderline);
  for (const TextLine& l : lines) {
    if (y >= rect.bottom) break;
    if (y + lineHeight > rect.top) {
      int x = rect.left;
      if (style & kTextRight) x = rect.right - l.width;
      else if (style & kTextCenter) x = rect.left + (rect.Width() - l.width) / 2;
      const int baseline = y + m.ascent;
      int pen = x;
      for (char32_t c : l.text) {
        const GlyphBitmap& g = glyphs.Cached(font, c);
        if (!g.coverage.empty()) {
          surface.BlendCoverage(g.coverage.data(), g.width, g.height, g.width, {pen + g.left, baseline - g.top}, argb);
        }
        pen += Advance(glyphs, font, c);
      }
      if (underline && l.width > 0) {
        const int uy = baseline + m.underlinePosition;
        surface.FillRect({x, uy, x + l.width, uy + std::max(m.underlineThickness, 1)}, argb);
      }
    }
    y += lineHeight;
  }
}

}  // namespace SkinUI
