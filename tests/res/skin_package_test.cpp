// Checks of the skin package's contents as data: the names the windows look
// up, the fixed texts, every image a layout names, and the language table.
#include <gtest/gtest.h>
#include <json/json.h>

#include <cstdio>
#include <dirent.h>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace {

const std::string kRes = QUILLON_RES_DIR;

std::string ReadText(const std::string& path) {
  std::string out;
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return out;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) out.append(buf, n);
  std::fclose(f);
  return out;
}

int Count(const std::string& hay, const std::string& needle) {
  int n = 0;
  for (size_t p = hay.find(needle); p != std::string::npos; p = hay.find(needle, p + 1)) ++n;
  return n;
}

std::string Attr(const std::string& xml, const std::string& name) {
  std::smatch m;
  std::regex re("\\b" + name + "=\"([^\"]*)\"");
  return std::regex_search(xml, m, re) ? m[1].str() : std::string();
}

struct Layout {
  const char* file;
  const char* size;
  const char* caption;
  std::vector<const char*> names;
  std::vector<const char*> texts;
};

const std::vector<Layout>& Layouts() {
  static const std::vector<Layout> layouts = {
      {"mainWnd.xml", "600,400", "0,0,0,35",
       {"winCtn", "titleTabLt", "mainTabLt", "defaultInstallBtn", "customeBtn", "treatyCb", "treatyBtn", "serviceCb",
        "tipLbl", "backBtn", "installDirEdit", "chDirBtn", "createDSCb", "createQSCb", "customeInstallBtn",
        "progressLb", "installPrg", "progressAnLb", "openProduceBtn", "finishedLbl", "softNameLbl", "installLogo",
        "bTitleLbl1", "bTitleLbl2", "bTitleLbl3", "titleGrpCtn", "languageCombo", "minbtn", "closebtn", "lbLanguage",
        "lbInstallPath"},
       {}},
      {"MessageBox1Wnd.xml", "360,180", "0,0,0,30", {"closebtn", "captionLbl", "textLbl"}, {"CAPTION", "TEXT"}},
      {"MessageBox2Wnd.xml", "360,180", "0,0,0,30", {"closebtn", "captionLbl", "textLbl"}, {"CAPTION", "TEXT"}},
      {"exitTipWnd.xml", "360,180", "0,0,0,30", {"closebtn", "okBtn", "cancelBtn"},
       {"%{30}", "%{32}", "%{33}", "%{34}"}},
      {"NetworkTipWnd.xml", "360,180", "0,0,0,30", {"closebtn", "okBtn", "cancelBtn"},
       {"%{30}", "%{35}", "%{36}", "%{37}"}},
      {"InstalledPathTipWnd.xml", "400,180", "0,0,0,30", {"closebtn", "okBtn", "cancelBtn"},
       {"%{30}", "%{38}", "%{39}", "%{40}"}},
  };
  return layouts;
}

TEST(SkinPackage, EveryLayoutNamesEachControlOnceWithItsWindowSettings) {
  for (const Layout& l : Layouts()) {
    SCOPED_TRACE(l.file);
    std::string xml = ReadText(kRes + "/" + l.file);
    ASSERT_FALSE(xml.empty());
    EXPECT_EQ(Attr(xml, "size"), l.size);
    EXPECT_EQ(Attr(xml, "caption"), l.caption);
    EXPECT_EQ(Attr(xml, "showshadow"), "true");
    EXPECT_EQ(Attr(xml, "shadowsize"), "6");
    EXPECT_EQ(Attr(xml, "shadowsharpness"), "10");
    EXPECT_EQ(Attr(xml, "shadowdarkness"), "20");
    EXPECT_EQ(Attr(xml, "shadowposition"), "1,1");
    EXPECT_FALSE(Attr(xml, "roundcorner").empty());
    for (const char* name : l.names) EXPECT_EQ(Count(xml, std::string("name=\"") + name + "\""), 1) << name;
    for (const char* text : l.texts) EXPECT_EQ(Count(xml, std::string("text=\"") + text + "\""), 1) << text;
  }
}

// The installing page spins through sixty frames without end; the finished
// page's ring closes once in thirty and keeps its last frame.
TEST(SkinPackage, TheFrameLabelsPlayTheirSequences) {
  std::string xml = ReadText(kRes + "/mainWnd.xml");
  std::regex re("<SequenceLabel name=\"(\\w+)\"[^>]*sequencebkimage=\"res\\\\mainWnd\\\\(\\w+)\\\\%\\.3d\\.png\""
                "[^>]*sequencecount=\"(\\d+)\" sequencespan=\"30\" sequenceloop=\"(\\w+)\"");
  std::set<std::string> found;
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), re); it != std::sregex_iterator(); ++it)
    found.insert((*it)[1].str() + " " + (*it)[2].str() + " " + (*it)[3].str() + " " + (*it)[4].str());
  EXPECT_EQ(found, (std::set<std::string>{"progressAnLb installBtnAnimate 60 true",
                                          "finishedLbl finishAnimate 30 false"}));
}

void ListFiles(const std::string& dir, const std::string& prefix, std::set<std::string>& out) {
  DIR* d = opendir(dir.c_str());
  if (!d) return;
  while (dirent* e = readdir(d)) {
    std::string name = e->d_name;
    if (name == "." || name == "..") continue;
    if (e->d_type == DT_DIR) ListFiles(dir + "/" + name, prefix + name + "/", out);
    else out.insert(prefix + name);
  }
  closedir(d);
}

// Every image a layout names is in the package, except the disabled-state
// images, which are left out on purpose (a missing image is not drawn);
// and every image of the package is named somewhere, by a layout or by the
// window's page switch. Each named image has its NAME@2x.png beside it,
// which the toolkit finds by that name above 1x and no layout names.
TEST(SkinPackage, LayoutsAndImagesMatch) {
  std::set<std::string> files;
  ListFiles(kRes + "/res", "res/", files);
  std::set<std::string> named = {"res/mainWnd/bg2.png", "res/mainWnd/bg3.png", "res/mainWnd/bg4.png"};
  std::regex re("res[\\\\/][A-Za-z0-9_\\\\/%.]+\\.png");
  for (const Layout& l : Layouts()) {
    std::string xml = ReadText(kRes + "/" + l.file);
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), re); it != std::sregex_iterator(); ++it) {
      std::string path = it->str();
      for (char& c : path) if (c == '\\') c = '/';
      size_t pat = path.find("%.3d");
      if (pat == std::string::npos) {
        named.insert(path);
        continue;
      }
      // A frame pattern names as many frames as its control's count.
      const size_t tagEnd = xml.find('>', it->position());
      const std::string tail = xml.substr(it->position(), tagEnd - it->position());
      std::smatch count;
      const int frames = std::regex_search(tail, count, std::regex("sequencecount=\"(\\d+)\""))
                             ? std::stoi(count[1].str()) : 60;
      for (int i = 0; i < frames; ++i) {
        char num[16];
        std::snprintf(num, sizeof num, "%03d", i);
        named.insert(path.substr(0, pat) + num + path.substr(pat + 4));
      }
    }
  }
  const std::set<std::string> disabled = {"res/common/minbtn4.png", "res/common/closebtn4.png",
                                          "res/common/closebtnM_4.png"};
  auto twice = [](const std::string& path) { return path.substr(0, path.size() - 4) + "@2x.png"; };
  std::set<std::string> found = named;
  for (const std::string& n : named) {
    if (disabled.count(n)) {
      EXPECT_FALSE(files.count(n)) << n;
      EXPECT_FALSE(files.count(twice(n))) << twice(n);
    } else {
      EXPECT_TRUE(files.count(n)) << n << " is named but missing";
      EXPECT_TRUE(files.count(twice(n))) << twice(n) << " is missing beside " << n;
      found.insert(twice(n));
    }
  }
  for (const std::string& f : files) EXPECT_TRUE(found.count(f)) << f << " is in the package but never named";
  for (const std::string& d : disabled) EXPECT_TRUE(named.count(d)) << d;
}

TEST(SkinPackage, LanguageTableCoversEveryTokenInAllThreeLanguages) {
  Json::Value root;
  Json::CharReaderBuilder builder;
  std::string errors, text = ReadText(kRes + "/language.json");
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  ASSERT_TRUE(reader->parse(text.data(), text.data() + text.size(), &root, &errors)) << errors;
  ASSERT_TRUE(root.isArray());
  std::map<int, Json::Value> byId;
  for (const Json::Value& e : root) {
    ASSERT_TRUE(e["id"].isInt());
    EXPECT_TRUE(byId.emplace(e["id"].asInt(), e).second) << "duplicate id " << e["id"].asInt();
    for (const char* tag : {"en-US", "zh-CN", "zh-TW"}) {
      ASSERT_TRUE(e[tag].isString()) << e["id"].asInt() << " " << tag;
      EXPECT_FALSE(e[tag].asString().empty()) << e["id"].asInt() << " " << tag;
    }
    // The English column is read through the ANSI code page, so it must be
    // plain ASCII to come out the same on every system.
    for (unsigned char c : e["en-US"].asString()) EXPECT_LT(c, 0x80) << e["id"].asInt();
  }
  EXPECT_TRUE(byId.count(104)) << "the low-disk-space text";
  // The progress text's two wordings are formats with exactly one %d.
  for (int id : {110, 111}) {
    ASSERT_TRUE(byId.count(id)) << id;
    for (const char* tag : {"en-US", "zh-CN", "zh-TW"}) {
      const std::string format = byId[id][tag].asString();
      EXPECT_NE(format.find("%d"), std::string::npos) << id << " " << tag;
      EXPECT_EQ(format.find("%d", format.find("%d") + 2), std::string::npos) << id << " " << tag;
    }
  }
  std::string xml = ReadText(kRes + "/mainWnd.xml");
  std::regex token("%\\{(\\d+)\\}");
  int tokens = 0;
  for (auto it = std::sregex_iterator(xml.begin(), xml.end(), token); it != std::sregex_iterator(); ++it, ++tokens)
    EXPECT_TRUE(byId.count(std::stoi((*it)[1].str()))) << it->str();
  EXPECT_GT(tokens, 10);
}

TEST(SkinPackage, TheProgressLabelLeavesTheWordingToTheWindow) {
  std::string xml = ReadText(kRes + "/mainWnd.xml");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(xml, m, std::regex("<Label name=\"progressLb\"[^>]*>")));
  EXPECT_EQ(m[0].str().find("userdata"), std::string::npos) << "a format would lose the two wordings";
  EXPECT_EQ(Attr(m[0].str(), "text"), "") << "the window writes the first text in the chosen language";
}

}  // namespace
