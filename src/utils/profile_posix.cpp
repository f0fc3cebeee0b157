#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "profile.h"
#include "utf8.h"

namespace Utils {
namespace {

bool ReadText(const std::wstring& path, std::wstring* text) {
  std::ifstream in(WideToUtf8(path), std::ios::binary);
  if (!in) return false;
  std::ostringstream all;
  all << in.rdbuf();
  std::string bytes = all.str();
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  *text = Utf8ToWide(bytes);
  return true;
}

}  // namespace

std::wstring ReadProfileString(const std::wstring& section, const std::wstring& key,
                               const std::wstring& defaultValue, const std::wstring& path,
                               size_t bufferChars) {
  if (bufferChars == 0) return std::wstring();
  std::wstring text, value;
  if (!ReadText(path, &text) || !profile::Lookup(text, section, key, &value)) value = defaultValue;
  if (value.size() > bufferChars - 1) value.resize(bufferChars - 1);
  return value;
}

int ReadProfileInt(const std::wstring& section, const std::wstring& key, int defaultValue,
                   const std::wstring& path) {
  std::wstring text, value;
  if (!ReadText(path, &text) || !profile::Lookup(text, section, key, &value)) return defaultValue;
  return profile::IntegerOf(value, defaultValue);
}

// Written to a temporary file and renamed over the old one, so that a
// crash leaves either the old or the new file.
bool StoreProfileString(const std::wstring& section, const std::wstring& key,
                        const std::wstring& value, const std::wstring& path) {
  std::wstring text;
  ReadText(path, &text);
  const std::string bytes = WideToUtf8(profile::WithValue(text, section, key, value));
  const std::string target = WideToUtf8(path);
  const std::string temp = target + ".tmp" + std::to_string(getpid());
  FILE* file = fopen(temp.c_str(), "wb");
  if (!file) return false;
  const bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  const bool closed = fclose(file) == 0;
  if (!written || !closed || rename(temp.c_str(), target.c_str()) != 0) {
    remove(temp.c_str());
    return false;
  }
  return true;
}

}  // namespace Utils
