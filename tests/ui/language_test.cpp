// Every word the installer shows, in each of its three languages: the
// language table has every text the layouts and the code ask for, each
// language is written in its own words and script, and every text fits its
// control at its font, measured by the toolkit's own text layout over the
// glyphs of this platform.
#include <gtest/gtest.h>

#include <json/json.h>

#include <map>
#include <memory>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "ui/localization.h"
#include "ui/sequence_controls.h"
#include "ui/ui_texts.h"
#include "uikit/button.h"
#include "uikit/container.h"
#include "uikit/dialog_builder.h"
#include "uikit/label.h"
#include "uikit/package.h"
#include "uikit/paint_manager.h"
#include "uikit/text.h"
#include "uikit/text_table.h"
#include "uikit/utf8.h"
#include "uikit/window_impl_base.h"

using namespace SkinUI;

namespace {

const char* const kTags[] = {"en-US", "zh-CN", "zh-TW"};
const char* const kLayouts[] = {"MainWnd.xml",       "MessageBox1Wnd.xml", "MessageBox2Wnd.xml",
                                "ExitTipWnd.xml",    "NetworkTipWnd.xml",  "InstalledPathTipWnd.xml"};

// Characters that only Simplified Chinese writes (their Traditional forms
// differ), and the Traditional forms of the same words; a character both
// scripts use (or that Traditional also has with another meaning) is in
// neither list.
const char kSimplifiedOnly[] =
    "这们个发开关时间门问题网络装载请选择软体验创启栏径简语译测检环较试败无资为从权说图标确认户协议读阅击单"
    "运动应该级数库设进错误过页键钮显视终结状态览浏区类实现务业专护备录质计机电脑统线连畅盘许块联温吗夹义当";
const char kTraditionalOnly[] =
    "這們個發開關時間門問題網絡裝載請選擇軟體驗創啟欄徑簡語譯測檢環較試敗無資為從權說圖標確認戶協議讀閱擊單"
    "運動應該級數庫設進錯誤過頁鍵鈕顯視終結狀態覽瀏區類實現務業專護備錄質計機電腦統線連暢盤許塊聯溫嗎夾義當";

bool IsCjk(char32_t c) { return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF); }

bool IsLatinLetter(char32_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

bool HasCjk(const std::string& text) {
  for (char32_t c : DecodeUtf8(text))
    if (IsCjk(c)) return true;
  return false;
}

// The characters of `text` that are in `list`, for the failure message.
std::string Among(const std::string& text, const char* list) {
  const std::u32string forbidden = DecodeUtf8(list);
  std::string found;
  for (char32_t c : DecodeUtf8(text))
    if (forbidden.find(c) != std::u32string::npos) AppendUtf8(c, &found);
  return found;
}

SkinPackage& Package() {
  std::string error;
  SkinPackage* package = OpenEmbeddedSkinPackage(&error);
  if (!package) ADD_FAILURE() << "the embedded skin: " << error;
  return *package;
}

std::string Entry(const std::string& name) {
  std::string bytes, error;
  EXPECT_TRUE(Package().ReadEntry(name, &bytes, &error)) << name << ": " << error;
  return bytes;
}

Localization::EntryReader Reader() {
  return [](const std::string& name, std::string* bytes) {
    std::string error;
    return Package().ReadEntry(name, bytes, &error);
  };
}

// id -> tag -> text, as the package carries it.
std::map<int, std::map<std::string, std::string>> Table() {
  const std::string json = Entry("language.json");
  Json::Value root;
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  std::string errors;
  EXPECT_TRUE(reader->parse(json.data(), json.data() + json.size(), &root, &errors)) << errors;
  std::map<int, std::map<std::string, std::string>> table;
  for (const Json::Value& entry : root) {
    EXPECT_TRUE(entry["id"].isInt());
    const int id = entry["id"].asInt();
    EXPECT_EQ(table.count(id), 0u) << "id " << id << " twice";
    for (const char* tag : kTags)
      if (entry[tag].isString()) table[id][tag] = entry[tag].asString();
  }
  return table;
}

// Every id a layout names with a token, and every id the code looks up.
std::set<int> UsedIds() {
  std::set<int> ids;
  const std::regex token("%\\{(\\d+)\\}");
  for (const char* layout : kLayouts) {
    const std::string xml = Entry(layout);
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), token); it != std::sregex_iterator(); ++it)
      ids.insert(std::stoi((*it)[1].str()));
  }
  for (int id : UiTexts::CodeIds()) ids.insert(id);
  ids.insert(WindowImplBase::kLoadFailedTextId);
  return ids;
}

class LanguageTest : public ::testing::Test {
 protected:
  void SetUp() override { ClearLocalTexts(); }
  void TearDown() override { ClearLocalTexts(); }
};

TEST_F(LanguageTest, EveryTextAskedForIsInTheTableInAllThreeLanguagesAndNothingElseIs) {
  const auto table = Table();
  const std::set<int> used = UsedIds();
  EXPECT_GT(used.size(), 30u);
  for (int id : used) {
    ASSERT_TRUE(table.count(id)) << "id " << id << " is used but not in language.json";
    for (const char* tag : kTags) {
      ASSERT_TRUE(table.at(id).count(tag)) << id << " has no " << tag;
      EXPECT_FALSE(table.at(id).at(tag).empty()) << id << " " << tag;
    }
  }
  for (const auto& entry : table) EXPECT_TRUE(used.count(entry.first)) << "id " << entry.first << " is never used";
  // The code's own English, shown without a table, says what the table says.
  for (int id : UiTexts::CodeIds()) EXPECT_EQ(UiTexts::BuiltInEnglish(id), table.at(id).at("en-US")) << id;
  // A progress format keeps its one number in every language.
  for (int id : {UiTexts::kProgressWait, UiTexts::kProgressPatient})
    for (const char* tag : kTags) {
      const std::string& format = table.at(id).at(tag);
      EXPECT_NE(format.find("%d"), std::string::npos) << id << " " << tag;
      EXPECT_EQ(format.find("%d", format.find("%d") + 2), std::string::npos) << id << " " << tag;
    }
}

TEST_F(LanguageTest, EachLanguageIsWrittenInItsOwnWordsAndScript) {
  for (const auto& entry : Table()) {
    const auto& texts = entry.second;
    const std::string& en = texts.at("en-US");
    const std::string& cn = texts.at("zh-CN");
    const std::string& tw = texts.at("zh-TW");
    SCOPED_TRACE("id " + std::to_string(entry.first));
    EXPECT_FALSE(HasCjk(en)) << en;
    EXPECT_TRUE(HasCjk(cn)) << cn;
    EXPECT_TRUE(HasCjk(tw)) << tw;
    EXPECT_NE(cn, tw) << "Traditional borrows the Simplified text";
    EXPECT_NE(cn, en);
    EXPECT_NE(tw, en);
    EXPECT_EQ(Among(tw, kSimplifiedOnly), "") << tw;
    EXPECT_EQ(Among(cn, kTraditionalOnly), "") << cn;
    // English in sentence case: a capital at the start of each sentence,
    // elsewhere only in names.
    static const std::set<std::string> kNames = {"Quillon", "Setup", "License", "Agreement", "Quick", "Launch", "GB", "I"};
    bool sentenceStart = true;
    std::string word;
    for (size_t i = 0; i <= en.size(); ++i) {
      const char c = i < en.size() ? en[i] : ' ';
      if (IsLatinLetter(static_cast<unsigned char>(c))) {
        word += c;
        continue;
      }
      if (!word.empty()) {
        const bool capital = word[0] >= 'A' && word[0] <= 'Z';
        if (sentenceStart) {
          EXPECT_TRUE(capital) << en;
        } else if (capital) {
          EXPECT_TRUE(kNames.count(word)) << "\"" << word << "\" in " << en;
        }
        sentenceStart = false;
        word.clear();
      }
      if (c == '.' || c == '?' || c == '\n') sentenceStart = true;
    }
  }
  // The lists themselves: each character once, and no character in both.
  const std::u32string simplified = DecodeUtf8(kSimplifiedOnly), traditional = DecodeUtf8(kTraditionalOnly);
  EXPECT_EQ(simplified.size(), traditional.size());
  for (char32_t c : simplified) EXPECT_EQ(traditional.find(c), std::u32string::npos);
}

// --- fit --------------------------------------------------------------------

struct Built {
  CPaintManagerUI pm;
  std::unique_ptr<GlyphSource> glyphs;
};

std::unique_ptr<Built> Build(const std::string& layout) {
  auto built = std::make_unique<Built>();
  SkinPackage& package = Package();
  built->pm.SetImageLoader([&package](const std::string& name, std::string* bytes) {
    std::string error;
    return package.ReadEntry(name, bytes, &error);
  });
  built->glyphs = CreateGlyphSource();
  built->pm.SetGlyphSource(built->glyphs.get());
  CDialogBuilder builder;
  SequenceControlFactory factory;
  std::unique_ptr<Control> root = builder.Create(layout, package, &factory, &built->pm);
  if (!root) {
    ADD_FAILURE() << layout << ": " << builder.GetLastError();
    return nullptr;
  }
  built->pm.SetClientSize(built->pm.Window().size);
  built->pm.AttachRoot(std::move(root));
  return built;
}

// Room a centred button text keeps free on each side.
constexpr int kButtonMargin = 6;

bool Shown(Control* c) {
  for (; c; c = c->GetParent())
    if (!c->IsVisible()) return false;
  return true;
}

// The items of a combo box are drawn by the box and its list, not as labels.
bool IsComboItem(Control& c) { return c.GetParent() && c.GetParent()->GetInterface("Combo"); }

Label* AsLabel(Control* c) {
  if (!c || IsComboItem(*c)) return nullptr;
  return static_cast<Label*>(c->GetInterface("Label"));
}

// What the window does to "lbLanguage", "lbInstallPath" and "backBtn" when
// a language is applied: each gets the width its text needs.
void FitLabelsToTheirTexts(Built& b) {
  for (const char* name : {"lbLanguage", "lbInstallPath", "backBtn"}) {
    Label* l = AsLabel(b.pm.FindControl(name));
    if (!l) continue;
    const Size need = MeasureText(*b.glyphs, b.pm.Fonts().Get(l->GetFont()), ExpandTextTokens(l->GetText()), 0,
                                  l->GetTextStyle());
    l->SetFixedWidth(need.cx + l->GetTextPadding().left);
  }
  b.pm.NeedUpdate();
}

// Every shown text of the window: inside its control less the padding
// (one line: its width and height; several: their height at the
// control's width, never a word cut in two), its control inside its
// parent and the window, and no two text controls on top of each other.
void ExpectEveryTextFits(Built& b, const std::string& where) {
  b.pm.LayoutIfNeeded();
  const Size client = b.pm.GetClientSize();
  std::vector<std::pair<Control*, Rect>> texts;
  b.pm.GetRoot()->ForEach([&](Control& c) {
    Label* l = AsLabel(&c);
    if (!l || !Shown(&c)) return;
    const std::string text = ExpandTextTokens(l->GetText());
    if (text.empty()) return;
    const std::string what = where + " " + (c.GetName().empty() ? c.GetClass() : c.GetName()) + " \"" + text + "\"";
    EXPECT_EQ(text.find("%{"), std::string::npos) << what << ": a token without a text";
    const Rect box = c.GetPos().Deflate(l->GetTextPadding());
    const FontSpec& font = b.pm.Fonts().Get(l->GetFont());
    const unsigned style = l->GetTextStyle();
    if (style & kTextSingleLine || !(style & kTextWordBreak)) {
      const Size need = MeasureText(*b.glyphs, font, text, 0, style);
      // Glyphs that measure nothing would make every text fit.
      EXPECT_GE(need.cx, static_cast<int>(DecodeUtf8(text).size()) * font.size / 4) << what << ": no glyphs measured";
      EXPECT_LE(need.cx, box.Width()) << what << ": too wide";
      // A centred button text that touches its edges reads as cut off.
      if (c.GetInterface("Button") && !c.GetInterface("Option") && (style & kTextCenter)) {
        EXPECT_LE(need.cx + 2 * kButtonMargin, box.Width()) << what << ": no room beside the text";
      }
      EXPECT_LE(need.cy, box.Height()) << what << ": too tall";
    } else {
      const std::vector<TextLine> lines = LayoutText(*b.glyphs, font, text, box.Width(), style);
      const Size need = MeasureText(*b.glyphs, font, text, box.Width(), style);
      EXPECT_LE(need.cy, box.Height()) << what << ": " << lines.size() << " lines do not fit";
      // Where a line ends, the text goes on with a space or a line break
      // (dropped from the lines), or at a character that may start a line.
      const std::u32string whole = DecodeUtf8(text);
      size_t at = 0;
      for (size_t i = 0; i + 1 < lines.size(); ++i) {
        at = whole.find(lines[i].text, at);
        ASSERT_NE(at, std::u32string::npos) << what;
        at += lines[i].text.size();
        if (at == 0 || at >= whole.size()) continue;
        EXPECT_FALSE(IsLatinLetter(whole[at - 1]) && IsLatinLetter(whole[at])) << what << ": a word cut after line " << i;
      }
      for (const TextLine& line : lines) EXPECT_LE(line.width, box.Width()) << what;
    }
    const Rect& r = c.GetPos();
    EXPECT_TRUE(r.left >= 0 && r.top >= 0 && r.right <= client.cx && r.bottom <= client.cy) << what << ": off the window";
    if (Container* parent = c.GetParent()) {
      const Rect& p = parent->GetPos();
      EXPECT_TRUE(r.left >= p.left && r.top >= p.top && r.right <= p.right && r.bottom <= p.bottom)
          << what << ": cut by its parent " << parent->GetName();
    }
    for (const auto& other : texts) {
      const Rect both = other.second.Intersect(r);
      EXPECT_TRUE(both.IsEmpty()) << what << ": on top of " << other.first->GetName() << " \""
                                  << ExpandTextTokens(other.first->GetText()) << "\"";
    }
    texts.emplace_back(&c, r);
  });
}

// A progress format filled as the window fills it, at its widest.
std::string Progress(int id) {
  std::string text = UiTexts::Text(id);
  const size_t d = text.find("%d");
  if (d != std::string::npos) text.replace(d, 2, "100");
  const size_t pct = text.find("%%");
  if (pct != std::string::npos) text.replace(pct, 2, "%");
  return text;
}

class FitTest : public LanguageTest, public ::testing::WithParamInterface<int> {
 protected:
  void SetUp() override {
    LanguageTest::SetUp();
    ASSERT_EQ(Localization::LoadLanguage(Reader(), GetParam(), L""), GetParam());
  }
  std::string Where(const std::string& what) const { return std::string(kTags[GetParam()]) + " " + what; }
};

TEST_P(FitTest, EveryPageOfTheMainWindow) {
  // The title bar's item and the controls the window shows on each page.
  const int titleItem[] = {1, 1, 1, 2};
  for (int page = 0; page < 4; ++page) {
    std::unique_ptr<Built> b = Build("MainWnd.xml");
    ASSERT_TRUE(b);
    auto* tabs = static_cast<TabLayout*>(b->pm.FindControl("mainTabLt")->GetInterface("TabLayout"));
    auto* title = static_cast<TabLayout*>(b->pm.FindControl("titleTabLt")->GetInterface("TabLayout"));
    tabs->SelectItem(page);
    title->SelectItem(titleItem[page]);
    b->pm.FindControl("backBtn")->SetVisible(page == 1);
    b->pm.FindControl("installLogo")->SetVisible(page == 2);
    b->pm.FindControl("titleGrpCtn")->SetVisible(page != 2);
    b->pm.FindControl("softNameLbl")->SetVisible(page == 3);
    FitLabelsToTheirTexts(*b);
    ExpectEveryTextFits(*b, Where("page " + std::to_string(page)));
    if (page == 0) {
      // The hint over the start page, shown when the agreement is not given.
      b->pm.FindControl("tipLbl")->SetVisible(true);
      b->pm.NeedUpdate();
      ExpectEveryTextFits(*b, Where("page 0 with the hint"));
    }
    if (page == 2) {
      for (int id : {UiTexts::kProgressWait, UiTexts::kProgressPatient}) {
        b->pm.FindControl("progressLb")->SetText(Progress(id));
        ExpectEveryTextFits(*b, Where("progress " + std::to_string(id)));
      }
    }
  }
}

TEST_P(FitTest, EveryPromptWithEveryTextTheWindowGivesIt) {
  for (const char* layout : {"ExitTipWnd.xml", "NetworkTipWnd.xml", "InstalledPathTipWnd.xml"}) {
    std::unique_ptr<Built> b = Build(layout);
    ASSERT_TRUE(b);
    ExpectEveryTextFits(*b, Where(layout));
  }
  const std::pair<const char*, std::vector<int>> messages[] = {
      {"MessageBox1Wnd.xml", {UiTexts::kProductRunning}},
      {"MessageBox2Wnd.xml",
       {UiTexts::kInvalidFolder, UiTexts::kPoorNetwork, UiTexts::kLowDiskSpace, UiTexts::kInstallFailed,
        UiTexts::kPackageFailed, UiTexts::kRefusedUnsigned, UiTexts::kRefusedInvalidSignature,
        UiTexts::kRefusedPublisherMismatch, UiTexts::kRefusedExpired, UiTexts::kRefusedDigestMismatch,
        UiTexts::kRefusedUnreadable}}};
  for (const auto& m : messages) {
    for (int id : m.second) {
      for (int caption : {UiTexts::kPromptCaption, UiTexts::kMessageCaption}) {
        std::unique_ptr<Built> b = Build(m.first);
        ASSERT_TRUE(b);
        b->pm.FindControl("textLbl")->SetText(UiTexts::Text(id));
        b->pm.FindControl("captionLbl")->SetText(UiTexts::Text(caption));
        ExpectEveryTextFits(*b, Where(std::string(m.first) + " text " + std::to_string(id)));
      }
    }
  }
}

// With English chosen nothing Chinese is left on any page or prompt; with
// Traditional Chinese nothing Simplified, and the other way round. The
// language names of the combo box are each written in their own language,
// on purpose.
std::string Foreign(int language, const std::string& text) {
  if (language == 0) return HasCjk(text) ? text : std::string();
  return Among(text, language == 1 ? kTraditionalOnly : kSimplifiedOnly);
}

TEST_P(FitTest, NoTextOfAnotherScriptIsShown) {
  for (const char* layout : kLayouts) {
    std::unique_ptr<Built> b = Build(layout);
    ASSERT_TRUE(b);
    b->pm.GetRoot()->ForEach([&](Control& c) {
      if (!AsLabel(&c)) return;
      const std::string text = ExpandTextTokens(c.GetText());
      EXPECT_EQ(Foreign(GetParam(), text), "") << Where(layout) << " " << c.GetName() << " \"" << text << "\"";
    });
  }
  for (int id : UiTexts::CodeIds()) {
    const std::string text = UiTexts::Text(id);
    EXPECT_EQ(Foreign(GetParam(), text), "") << Where(std::to_string(id));
  }
}

INSTANTIATE_TEST_SUITE_P(Languages, FitTest, ::testing::Values(0, 1, 2),
                         [](const ::testing::TestParamInfo<int>& info) {
                           return std::string(info.param == 0 ? "English" : info.param == 1 ? "Simplified" : "Traditional");
                         });

}  // namespace
