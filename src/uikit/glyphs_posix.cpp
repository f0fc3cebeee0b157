// Glyphs from FreeType, faces found by fontconfig. The skins name Windows
// faces ("微软雅黑", "SimSun"); they are mapped to an installed font with
// Chinese coverage, and a code point the chosen face lacks is looked up in
// any installed font that has it.
#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <tuple>

#include "uikit/glyphs.h"

namespace SkinUI {
namespace {

// Windows face names of Chinese fonts and what stands in for them here,
// best first; fontconfig's own rules know none of them.
struct FaceAlias {
  const char* name;
  bool serif;
};
const FaceAlias kChineseFaces[] = {
    {"微软雅黑", false}, {"microsoft yahei", false}, {"microsoft yahei ui", false}, {"黑体", false},
    {"simhei", false},   {"宋体", true},             {"simsun", true},            {"新宋体", true},
    {"nsimsun", true},   {"楷体", true},             {"kaiti", true},             {"微軟正黑體", false},
    {"microsoft jhenghei", false}, {"新細明體", true}, {"pmingliu", true},       {"mingliu", true},
};
const char* const kSansStandIns[] = {"WenQuanYi Micro Hei", "Noto Sans CJK SC", "Source Han Sans SC",
                                     "WenQuanYi Zen Hei", "Droid Sans Fallback"};
const char* const kSerifStandIns[] = {"Noto Serif CJK SC", "AR PL UMing CN", "WenQuanYi Micro Hei",
                                      "Noto Sans CJK SC", "Droid Sans Fallback"};

std::string Lower(const std::string& s) {
  std::string out = s;
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

const FaceAlias* FindChinese(const std::string& face) {
  const std::string key = Lower(face);
  for (const FaceAlias& a : kChineseFaces) {
    if (key == a.name) return &a;
  }
  return nullptr;
}

struct FaceFile {
  std::string path;
  int index = 0;
  bool boldFace = false;    // the file is already bold
  bool italicFace = false;  // the file is already slanted
  bool operator<(const FaceFile& o) const { return std::tie(path, index) < std::tie(o.path, o.index); }
};

class FreeTypeGlyphSource : public GlyphSource {
 public:
  FreeTypeGlyphSource(FT_Library library, FcConfig* config) : library_(library), config_(config) {}
  ~FreeTypeGlyphSource() override {
    for (auto& entry : faces_) FT_Done_Face(entry.second);
    FT_Done_FreeType(library_);
    FcConfigDestroy(config_);
  }

  bool Glyph(const FontSpec& font, char32_t cp, GlyphBitmap* out) override {
    const FaceFile* file = Resolve(font, 0);
    FT_Face face = file ? Open(*file, font.size) : nullptr;
    FT_UInt index = face ? FT_Get_Char_Index(face, cp) : 0;
    if (face && index == 0 && cp > 0x20) {
      const FaceFile* other = Resolve(font, cp);
      FT_Face fallback = other ? Open(*other, font.size) : nullptr;
      const FT_UInt otherIndex = fallback ? FT_Get_Char_Index(fallback, cp) : 0;
      if (otherIndex) {
        face = fallback;
        file = other;
        index = otherIndex;
      }
    }
    if (!face) return false;
    FT_Matrix shear{0x10000, 0, 0, 0x10000};
    if (font.italic && !file->italicFace) shear.xy = 0x3800;  // about 12 degrees
    FT_Set_Transform(face, &shear, nullptr);
    if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT | FT_LOAD_TARGET_LIGHT | FT_LOAD_NO_BITMAP) != 0) return false;
    if (font.bold && !file->boldFace) FT_GlyphSlot_Embolden(face->glyph);
    if (FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) != 0) return false;
    const FT_GlyphSlot slot = face->glyph;
    const FT_Bitmap& bm = slot->bitmap;
    out->width = static_cast<int>(bm.width);
    out->height = static_cast<int>(bm.rows);
    out->left = slot->bitmap_left;
    out->top = slot->bitmap_top;
    out->advance = static_cast<int>((slot->advance.x + 32) >> 6);
    out->coverage.assign(static_cast<size_t>(out->width) * out->height, 0);
    if (bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
      for (int y = 0; y < out->height; ++y) {
        std::memcpy(&out->coverage[static_cast<size_t>(y) * out->width], bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch,
                    out->width);
      }
    }
    return index != 0;
  }

  FontMetrics Metrics(const FontSpec& font) override {
    FontMetrics m;
    const FaceFile* file = Resolve(font, 0);
    FT_Face face = file ? Open(*file, font.size) : nullptr;
    if (!face) {
      m.ascent = font.size;
      m.height = font.size;
      return m;
    }
    const FT_Size_Metrics& sm = face->size->metrics;
    m.ascent = static_cast<int>((sm.ascender + 32) >> 6);
    m.descent = static_cast<int>((-sm.descender + 32) >> 6);
    m.height = std::max<int>(m.ascent + m.descent, static_cast<int>((sm.height + 32) >> 6));
    if (FT_IS_SCALABLE(face)) {
      m.underlinePosition = std::max(1, static_cast<int>((-FT_MulFix(face->underline_position, sm.y_scale) + 32) >> 6));
      m.underlineThickness =
          std::max(1, static_cast<int>((FT_MulFix(face->underline_thickness, sm.y_scale) + 32) >> 6));
    } else {
      m.underlinePosition = 1;
    }
    return m;
  }

 private:
  // The font file for a face and style; with a code point, one that has it.
  const FaceFile* Resolve(const FontSpec& font, char32_t cp) {
    const auto key = std::make_tuple(font.face, font.bold, font.italic, cp);
    auto it = resolved_.find(key);
    if (it != resolved_.end()) return it->second.path.empty() ? nullptr : &it->second;

    FcPattern* pattern = FcPatternCreate();
    if (!font.face.empty()) FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(font.face.c_str()));
    if (const FaceAlias* alias = FindChinese(font.face)) {
      for (const char* standIn : alias->serif ? kSerifStandIns : kSansStandIns) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(standIn));
      }
      FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("zh-cn"));
    }
    FcPatternAddInteger(pattern, FC_WEIGHT, font.bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, font.italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcCharSet* charset = nullptr;
    if (cp) {
      charset = FcCharSetCreate();
      FcCharSetAddChar(charset, cp);
      FcPatternAddCharSet(pattern, FC_CHARSET, charset);
    }
    FcConfigSubstitute(config_, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config_, pattern, &result);
    FaceFile file;
    if (match) {
      FcChar8* path = nullptr;
      int index = 0, weight = FC_WEIGHT_REGULAR, slant = FC_SLANT_ROMAN;
      FcCharSet* has = nullptr;
      const bool covers = !cp || (FcPatternGetCharSet(match, FC_CHARSET, 0, &has) == FcResultMatch &&
                                  FcCharSetHasChar(has, cp));
      if (covers && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch) {
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        FcPatternGetInteger(match, FC_WEIGHT, 0, &weight);
        FcPatternGetInteger(match, FC_SLANT, 0, &slant);
        file.path = reinterpret_cast<const char*>(path);
        file.index = index;
        // fontconfig's synthetic rules report the asked-for weight and
        // slant of a face that lacks them, and set embolden or a matrix.
        FcBool embolden = FcFalse;
        FcMatrix* matrix = nullptr;
        FcPatternGetBool(match, FC_EMBOLDEN, 0, &embolden);
        const bool sheared = FcPatternGetMatrix(match, FC_MATRIX, 0, &matrix) == FcResultMatch && matrix &&
                             matrix->xy != 0;
        file.boldFace = weight >= FC_WEIGHT_DEMIBOLD && !embolden;
        file.italicFace = slant != FC_SLANT_ROMAN && !sheared;
      }
      FcPatternDestroy(match);
    }
    if (charset) FcCharSetDestroy(charset);
    FcPatternDestroy(pattern);
    auto& slot = resolved_[key];
    slot = file;
    return slot.path.empty() ? nullptr : &slot;
  }

  FT_Face Open(const FaceFile& file, int size) {
    const auto key = std::make_tuple(file.path, file.index, size);
    auto it = faces_.find(key);
    if (it != faces_.end()) return it->second;
    FT_Face face = nullptr;
    if (FT_New_Face(library_, file.path.c_str(), file.index, &face) != 0) face = nullptr;
    if (face && FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(std::max(size, 1))) != 0) {
      FT_Done_Face(face);
      face = nullptr;
    }
    if (face) FT_Select_Charmap(face, FT_ENCODING_UNICODE);
    faces_[key] = face;
    return face;
  }

  FT_Library library_;
  FcConfig* config_;
  std::map<std::tuple<std::string, bool, bool, char32_t>, FaceFile> resolved_;
  std::map<std::tuple<std::string, int, int>, FT_Face> faces_;
};

}  // namespace

std::unique_ptr<GlyphSource> CreateGlyphSource() {
  FcConfig* config = FcInitLoadConfigAndFonts();
  if (!config) return nullptr;
  FT_Library library = nullptr;
  if (FT_Init_FreeType(&library) != 0) {
    FcConfigDestroy(config);
    return nullptr;
  }
  return std::make_unique<FreeTypeGlyphSource>(library, config);
}

}  // namespace SkinUI
