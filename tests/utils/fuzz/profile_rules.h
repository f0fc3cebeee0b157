// What the ini rules promise for any file, checked by the fuzz target and
// by the suite's replay of corpus/profile. Each returns the first promise
// broken, empty when all hold.
#pragma once

#include <string>

#include "utils/profile.h"
#include "utils/utf8.h"

namespace quillon_fuzz {

// A file's bytes as the Linux reader sees them: a UTF-8 byte order mark
// dropped, malformed bytes as U+FFFD.
inline std::wstring ProfileText(std::string bytes) {
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  return Utils::Utf8ToWide(bytes);
}

inline std::string CheckProfileText(const std::wstring& text) {
  using namespace Utils::profile;
  const wchar_t* const keys[] = {L"DownloadUrl", L"DownloadType", L"PublisherKey"};
  std::wstring before[3];
  bool had[3];
  for (int i = 0; i < 3; ++i) had[i] = Lookup(text, L"Install", keys[i], &before[i]);

  // A value written is the value read back, and no other key changes.
  const std::wstring url = L"http://example.test/pkg";
  const std::wstring written = WithValue(text, L"install", L"downloadurl", url);
  std::wstring value;
  if (!Lookup(written, L"Install", L"DownloadUrl", &value)) return "a written key is not found";
  if (value != url) return "a written key reads back as " + Utils::WideToUtf8(value);
  for (int i = 1; i < 3; ++i) {
    std::wstring after;
    const bool has = Lookup(written, L"Install", keys[i], &after);
    if (has != had[i] || after != before[i]) return "a write changed another key";
  }
  // Writing the same again changes nothing more.
  if (WithValue(written, L"Install", L"DownloadUrl", url) != written) return "a second equal write changed the text";

  if (had[1]) {
    const int n = IntegerOf(before[1], 7);
    if (before[1].empty() && n != 7) return "an empty number is not the default";
  }
  return "";
}

}  // namespace quillon_fuzz
