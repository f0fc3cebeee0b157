// The properties registered once at tracker init and merged by the SDK into
// every record, and the device facts behind them.
#pragma once

#include <string>

#include "kx_tracker_params.h"
#include "sdk/properties_node.h"

namespace tarvix {
namespace analytics {

struct DeviceFacts {
  std::string os = "Windows";        // $os: the running system's family
  std::string platform = "Windows";  // kx_app_platform
  std::string osVersion;  // $os_version
  std::string language;   // ISO 639, empty when unknown
  std::string country;    // ISO 3166, empty when unknown
  int screenWidth = 0;
  int screenHeight = 0;
};

// Asks the running system.
DeviceFacts ReadDeviceFacts();

// The os naming rule, for the version numbers the system reports (only
// the low 16 bits of `build` count; `serverR2` is the SM_SERVERR2 metric).
std::string OsVersionName(unsigned major, unsigned minor, unsigned build, bool is64Bit,
                          bool serverR2);

// Linux: the language and country codes of a locale name such as
// "zh_CN.UTF-8@pinyin"; both empty for "C", "POSIX", an empty name or a
// name without a country.
void LocaleCodes(const std::string& localeName, std::string* language, std::string* country);
// Linux: the PRETTY_NAME of an os-release text, unquoted; empty when none.
std::string OsReleasePrettyName(const std::string& osRelease);

// Raises KxException for an unknown edition.
analytics_sdk::utils::PropertiesNode BuildCommonProperties(const KxTrackerParams& params,
                                                           const std::string& userId,
                                                           const DeviceFacts& facts);

}  // namespace analytics
}  // namespace tarvix
