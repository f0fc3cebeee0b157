#include "common_properties.h"

#include "kx_context_properties.h"

namespace tarvix {
namespace analytics {
namespace {

constexpr char kSdkVersion[] = "3.3.8";

bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }

std::string Unquoted(std::string value) {
  while (!value.empty() && (value.back() == '\r' || value.back() == ' ' || value.back() == '\t')) {
    value.pop_back();
  }
  if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
    value = value.substr(1, value.size() - 2);
  }
  return value;
}

}  // namespace

std::string OsVersionName(unsigned major, unsigned minor, unsigned build, bool is64Bit,
                          bool serverR2) {
  build &= 0xFFFF;
  if (major <= 4) return "XP-";
  switch (major) {
    case 5:
      switch (minor) {
        case 0: return "2K";
        case 1: return "XP";
        case 2:
          if (is64Bit) return "XP64";
          return serverR2 ? "Server 2003 R2" : "Server 2003";
        default: return "XP+";
      }
    case 6:
      switch (minor) {
        case 0: return is64Bit ? "Vista64" : "Vista";
        case 1: return is64Bit ? "7" : "7-32";
        case 2: return is64Bit ? "8" : "8-32";
        case 3: return "8.1";
        default: return "8.1+";
      }
    case 10:
      if (minor != 0) return "11+";
      return build < 22000 ? "10" : "11";
    default:
      return std::to_string(major) + "." + std::to_string(minor) + "." + std::to_string(build);
  }
}

void LocaleCodes(const std::string& localeName, std::string* language, std::string* country) {
  language->clear();
  country->clear();
  const std::string name = localeName.substr(0, localeName.find_first_of(".@"));
  const size_t underscore = name.find('_');
  if (underscore == std::string::npos) return;
  const std::string lang = name.substr(0, underscore);
  const std::string ctry = name.substr(underscore + 1);
  // ISO 639 codes are two or three lower-case letters, ISO 3166 ones two
  // upper-case letters; anything else is not a name the system would give.
  if (lang.size() < 2 || lang.size() > 3 || ctry.size() != 2) return;
  for (char c : lang) {
    if (!IsLower(c)) return;
  }
  for (char c : ctry) {
    if (!IsUpper(c)) return;
  }
  *language = lang;
  *country = ctry;
}

std::string OsReleasePrettyName(const std::string& osRelease) {
  static const std::string kKey = "PRETTY_NAME=";
  size_t start = 0;
  while (start < osRelease.size()) {
    size_t end = osRelease.find('\n', start);
    if (end == std::string::npos) end = osRelease.size();
    const std::string line = osRelease.substr(start, end - start);
    if (line.compare(0, kKey.size(), kKey) == 0) return Unquoted(line.substr(kKey.size()));
    start = end + 1;
  }
  return std::string();
}

analytics_sdk::utils::PropertiesNode BuildCommonProperties(const KxTrackerParams& params,
                                                           const std::string& userId,
                                                           const DeviceFacts& facts) {
  analytics_sdk::utils::PropertiesNode node;
  auto text = [&node](const char* key, const std::string& value) { node.SetString(key, ToUtf8(value)); };
  text("kx_app_id", params.appName);
  text("$app_version", params.appVersion);
  text("$app_id", params.appName);
  text("kx_app_store", params.appStore);
  text("kx_edition", EditionName(params.edition));
  if (!params.dlAppId.empty()) text("kx_dlapp_id", params.dlAppId);
  if (!params.dlAppVersion.empty()) text("kx_dlapp_version", params.dlAppVersion);
  text("kx_app_platform", facts.platform);
  text("kx_track_type", "Client");
  text("kx_sdk_version", kSdkVersion);
  text("kx_sdk", "WindowsCPP");
  text("$os", facts.os);
  text("$os_version", facts.osVersion);
  // Registered even when the locale is unknown (then all three are empty).
  const std::string locale =
      facts.language.empty() || facts.country.empty() ? std::string() : facts.language + "_" + facts.country;
  text("kx_l10n_locale", locale);
  text("kx_l10n_language", facts.language);
  text("kx_l10n_country", facts.country);
  node.SetInteger("$screen_height", facts.screenHeight);
  node.SetInteger("$screen_width", facts.screenWidth);
  if (!userId.empty()) text("kx_user_id", userId);
  return node;
}

}  // namespace analytics
}  // namespace tarvix
