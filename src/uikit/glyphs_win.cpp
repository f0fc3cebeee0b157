// Glyphs from GDI: GetGlyphOutlineW's 65-level grey bitmaps, scaled to
// 8-bit coverage. A character the font lacks is taken from the first of a
// few broad-coverage faces that has it.
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "uikit/glyphs.h"

namespace SkinUI {
namespace {

const wchar_t* const kFallbackFaces[] = {L"Microsoft YaHei", L"SimSun", L"Arial Unicode MS", L"Segoe UI Symbol",
                                         L"Tahoma", L"Arial"};

std::wstring Widen(const std::string& s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(std::max(n, 0)), L'\0');
  if (n > 0) MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), &out[0], n);
  return out;
}

class GdiGlyphSource : public GlyphSource {
 public:
  explicit GdiGlyphSource(HDC dc) : dc_(dc) {}
  ~GdiGlyphSource() override {
    SelectObject(dc_, GetStockObject(SYSTEM_FONT));
    for (auto& entry : fonts_) DeleteObject(entry.second);
    DeleteDC(dc_);
  }

  bool Glyph(const FontSpec& font, char32_t cp, GlyphBitmap* out) override {
    // Supplementary planes cannot be asked of GetGlyphOutlineW by character.
    if (cp > 0xFFFF) return false;
    const wchar_t wc = static_cast<wchar_t>(cp);
    HFONT hf = Font(font, Widen(font.face));
    if (!hf) return false;
    SelectObject(dc_, hf);
    if (cp > 0x20 && !Has(wc)) {
      for (const wchar_t* face : kFallbackFaces) {
        HFONT other = Font(font, face);
        if (!other) continue;
        SelectObject(dc_, other);
        if (Has(wc)) {
          hf = other;
          break;
        }
        SelectObject(dc_, hf);
      }
    }
    const MAT2 identity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
    GLYPHMETRICS gm{};
    const DWORD size = GetGlyphOutlineW(dc_, wc, GGO_GRAY8_BITMAP, &gm, 0, nullptr, &identity);
    if (size == GDI_ERROR) return false;
    out->advance = gm.gmCellIncX;
    out->left = gm.gmptGlyphOrigin.x;
    out->top = gm.gmptGlyphOrigin.y;
    if (size == 0) {  // a blank glyph: advance only
      out->width = out->height = 0;
      out->coverage.clear();
      return Has(wc) || cp <= 0x20;
    }
    std::string buffer(size, '\0');
    if (GetGlyphOutlineW(dc_, wc, GGO_GRAY8_BITMAP, &gm, size, &buffer[0], &identity) == GDI_ERROR) return false;
    out->width = static_cast<int>(gm.gmBlackBoxX);
    out->height = static_cast<int>(gm.gmBlackBoxY);
    const int pitch = (out->width + 3) & ~3;  // rows are DWORD-aligned
    out->coverage.assign(static_cast<size_t>(out->width) * out->height, 0);
    for (int y = 0; y < out->height; ++y) {
      for (int x = 0; x < out->width; ++x) {
        const size_t at = static_cast<size_t>(y) * pitch + x;
        if (at >= buffer.size()) break;
        const unsigned v = std::min<unsigned>(static_cast<unsigned char>(buffer[at]), 64);
        out->coverage[static_cast<size_t>(y) * out->width + x] = static_cast<uint8_t>((v * 255 + 32) / 64);
      }
    }
    return true;
  }

  FontMetrics Metrics(const FontSpec& font) override {
    FontMetrics m;
    HFONT hf = Font(font, Widen(font.face));
    if (!hf) {
      m.ascent = m.height = font.size;
      return m;
    }
    SelectObject(dc_, hf);
    TEXTMETRICW tm{};
    GetTextMetricsW(dc_, &tm);
    m.ascent = tm.tmAscent;
    m.descent = tm.tmDescent;
    m.height = tm.tmHeight;
    OUTLINETEXTMETRICW otm{};
    otm.otmSize = sizeof(otm);
    if (GetOutlineTextMetricsW(dc_, sizeof(otm), &otm)) {
      m.underlinePosition = std::max(1, -otm.otmsUnderscorePosition);
      m.underlineThickness = std::max(1, static_cast<int>(otm.otmsUnderscoreSize));
    } else {
      m.underlinePosition = 1;
    }
    return m;
  }

 private:
  bool Has(wchar_t wc) {
    WORD index = 0xFFFF;
    return GetGlyphIndicesW(dc_, &wc, 1, &index, GGI_MARK_NONEXISTING_GLYPHS) != GDI_ERROR && index != 0xFFFF;
  }

  HFONT Font(const FontSpec& font, const std::wstring& face) {
    const auto key = std::make_tuple(face, font.size, font.bold, font.italic);
    auto it = fonts_.find(key);
    if (it != fonts_.end()) return it->second;
    // Negative height: the em height in pixels, as FreeType's pixel size.
    // Underline is drawn by the text layer, so both targets place it alike.
    HFONT hf = CreateFontW(-std::max(font.size, 1), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic, FALSE,
                           FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                           DEFAULT_PITCH | FF_DONTCARE, face.c_str());
    fonts_[key] = hf;
    return hf;
  }

  HDC dc_;
  std::map<std::tuple<std::wstring, int, bool, bool>, HFONT> fonts_;
};

}  // namespace

std::unique_ptr<GlyphSource> CreateGlyphSource() {
  HDC dc = CreateCompatibleDC(nullptr);
  if (!dc) return nullptr;
  return std::make_unique<GdiGlyphSource>(dc);
}

}  // namespace SkinUI
