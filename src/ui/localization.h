// The three languages of the window's texts and the language table
// ("language.json" in the skin package) that fills the toolkit's table of
// localised texts.
#pragma once

#include <functional>
#include <string>

namespace Localization {

// How the table is read: the skin package's entry reader.
using EntryReader = std::function<bool(const std::string& path, std::string* bytes)>;

constexpr int kLanguageCount = 3;
constexpr size_t kMaxTableBytes = 4194304;

// "en-US", "zh-CN", "zh-TW" for 0, 1, 2; empty for any other number.
std::wstring LanguageTagOf(int number);

// Loads one language's texts into the toolkit's table and returns the
// language used: the number whose tag is `tag` when one is, else `number`
// (0 when `number` is not a language and `tag` is empty). A table that is
// missing, empty or too large loads nothing and gives 0; one that does not
// parse loads nothing and gives the resolved number.
int LoadLanguage(const EntryReader& read, int number, const std::wstring& tag);

// The language of the copy installed in `folder`: its "config.ini" names
// it ("Install", "Language", default "en-US"); without that file the
// language table decides as LoadLanguage does with an empty tag and 0.
int InstalledLanguage(const EntryReader& read, const std::wstring& folder);

}  // namespace Localization
