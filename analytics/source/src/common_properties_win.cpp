#include <windows.h>

#include "common_properties.h"
#include "utils/nt_version_win.h"
#include "utils/probe.h"

namespace tarvix {
namespace analytics {
namespace {

std::string ReadOsVersion() {
  DWORD major = 0, minor = 0, build = 0;
  if (!Utils::NtVersionNumbers(&major, &minor, &build)) return "XP-";
  const bool r2 = major == 5 && minor == 2 && GetSystemMetrics(SM_SERVERR2) != 0;
  return OsVersionName(major, minor, build, Utils::IsOs64Bit(), r2);
}

}  // namespace

DeviceFacts ReadDeviceFacts() {
  DeviceFacts facts;
  facts.osVersion = ReadOsVersion();
  char language[16] = {};
  char country[16] = {};
  if (GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO639LANGNAME, language, sizeof(language)) > 0 &&
      GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SISO3166CTRYNAME, country, sizeof(country)) > 0) {
    facts.language = language;
    facts.country = country;
  }
  facts.screenWidth = GetSystemMetrics(SM_CXSCREEN);
  facts.screenHeight = GetSystemMetrics(SM_CYSCREEN);
  return facts;
}

}  // namespace analytics
}  // namespace tarvix
