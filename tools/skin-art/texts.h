// The installer's localised texts: written out as the package's
// "language.json".
#pragma once

#include <string>
#include <vector>

namespace skinart {

struct Text {
  int id;
  const char* en;  // ASCII only: the installer reads this column through the ANSI code page
  const char* zhCN;
  const char* zhTW;
};

const std::vector<Text>& Texts();
std::string LanguageJson();
// The text of id in language 0 (en-US), 1 (zh-CN) or 2 (zh-TW); empty when unknown.
std::string TextOf(int id, int language);
// Replaces every "%{n}" token whose id is known.
std::string Resolve(const std::string& text, int language);

}  // namespace skinart
