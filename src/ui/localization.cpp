#include "ui/localization.h"

#include <json/json.h>

#include <memory>

#include "uikit/text_table.h"
#include "utils/files.h"
#include "utils/profile.h"
#include "utils/utf8.h"

namespace Localization {
namespace {

const wchar_t* const kTags[kLanguageCount] = {L"en-US", L"zh-CN", L"zh-TW"};

int IdOf(const Json::Value& entry) {
  const Json::Value& id = entry["id"];
  if (id.isInt()) return id.asInt();
  return 0;
}

}  // namespace

std::wstring LanguageTagOf(int number) {
  if (number < 0 || number >= kLanguageCount) return std::wstring();
  return kTags[number];
}

int LoadLanguage(const EntryReader& read, int number, const std::wstring& tag) {
  std::string bytes;
  if (!read || !read("language.json", &bytes) || bytes.empty() || bytes.size() > kMaxTableBytes) return 0;

  int resolved = number;
  if (!tag.empty()) {
    for (int i = 0; i < kLanguageCount; ++i) {
      if (tag == kTags[i]) resolved = i;
    }
  } else if (number < 0 || number >= kLanguageCount) {
    resolved = 0;
  }
  // A tag that names no language keeps a number that may be none either:
  // there is then no member to read, and every text loads empty.
  const std::string member = Utils::WideToUtf8(LanguageTagOf(resolved));

  Json::CharReaderBuilder builder;
  builder["collectComments"] = false;
  builder["stackLimit"] = 64;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value root;
  std::string errors;
  // Too deep a nesting is reported by an exception, not by the result.
  try {
    if (!reader->parse(bytes.data(), bytes.data() + bytes.size(), &root, &errors)) return resolved;
  } catch (const std::exception&) {
    return resolved;
  }
  if (!root.isArray() && !root.isObject()) return resolved;

  // The file is UTF-8 and so is the toolkit's table: every language's text
  // is taken as it stands, so no text depends on the system's code page.
  for (const Json::Value& entry : root) {
    if (!entry.isObject()) continue;
    std::string text;
    if (!member.empty()) {
      const Json::Value& value = entry[member];
      if (value.isString()) text = value.asString();
    }
    SkinUI::AddLocalText(IdOf(entry), text);
  }
  return resolved;
}

int InstalledLanguage(const EntryReader& read, const std::wstring& folder) {
  std::wstring path = folder;
  if (!path.empty() && path.back() != Utils::PathSeparator()) path += Utils::PathSeparator();
  path += L"config.ini";
  std::wstring tag;
  if (Utils::PathExists(path)) tag = Utils::ReadProfileString(L"Install", L"Language", L"en-US", path);
  return LoadLanguage(read, 0, tag);
}

}  // namespace Localization
