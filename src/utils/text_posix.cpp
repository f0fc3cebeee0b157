// Code pages through iconv: 0 is the codeset of the user's locale (as the
// environment names it, whether or not the program called setlocale),
// 65001 is UTF-8 and any other number is iconv's "CP<n>" (936 is GBK).
#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <cstring>

#include "text.h"
#include "utf8.h"

namespace Utils {
namespace {

std::string CodesetOf(unsigned codePage) {
  if (codePage == kCodePageUtf8) return "UTF-8";
  if (codePage != kCodePageAnsi) return "CP" + std::to_string(codePage);
  std::string name = "ANSI_X3.4-1968";
  locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (locale != static_cast<locale_t>(0)) {
    const char* codeset = nl_langinfo_l(CODESET, locale);
    if (codeset && *codeset) name = codeset;
    freelocale(locale);
  }
  return name;
}

bool IsUtf8(const std::string& codeset) { return codeset == "UTF-8" || codeset == "utf-8"; }

// Converts `size` bytes; `replacement` stands in for one input unit
// (`unit` bytes) that the target cannot take.
std::string Convert(const char* from, const char* to, const char* data, size_t size, size_t unit,
                    const std::string& replacement) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
  std::string out;
  out.reserve(size * 2 + 16);
  char buffer[4096];
  char* in = const_cast<char*>(data);
  size_t left = size;
  while (left > 0) {
    char* o = buffer;
    size_t room = sizeof buffer;
    const size_t rc = iconv(cd, &in, &left, &o, &room);
    out.append(buffer, static_cast<size_t>(o - buffer));
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or a truncated sequence at the end: skip one unit.
    const size_t skip = left < unit ? left : unit;
    in += skip;
    left -= skip;
    out += replacement;
  }
  char* o = buffer;
  size_t room = sizeof buffer;
  iconv(cd, nullptr, nullptr, &o, &room);
  out.append(buffer, static_cast<size_t>(o - buffer));
  iconv_close(cd);
  return out;
}

}  // namespace

std::wstring MultiByteToWide(const std::string& bytes, unsigned codePage) {
  const size_t size = strnlen(bytes.c_str(), bytes.size());
  if (size == 0) return std::wstring();
  const std::string codeset = CodesetOf(codePage);
  if (IsUtf8(codeset)) return Utf8ToWide(bytes.substr(0, size));
  const wchar_t bad = 0xFFFD;
  const std::string raw = Convert(codeset.c_str(), "WCHAR_T", bytes.data(), size, 1,
                                  std::string(reinterpret_cast<const char*>(&bad), sizeof bad));
  return std::wstring(reinterpret_cast<const wchar_t*>(raw.data()), raw.size() / sizeof(wchar_t));
}

std::string WideToMultiByte(const std::wstring& text, unsigned codePage) {
  const size_t size = wcsnlen(text.c_str(), text.size());
  if (size == 0) return std::string();
  const std::string codeset = CodesetOf(codePage);
  if (IsUtf8(codeset)) return WideToUtf8(text.substr(0, size));
  return Convert("WCHAR_T", codeset.c_str(), reinterpret_cast<const char*>(text.data()),
                 size * sizeof(wchar_t), sizeof(wchar_t), "?");
}

}  // namespace Utils
