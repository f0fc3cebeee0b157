// The properties registered once at tracker init and merged by the SDK into
// every record, and the device facts behind them.
#pragma once

#include <string>

#include "kx_tracker_params.h"
#include "sdk/properties_node.h"

namespace tarvix {
namespace analytics {

struct DeviceFacts {
  std::string osVersion;  // $os_version
  std::string language;   // ISO 639, empty when unknown
  std::string country;    // ISO 3166, empty when unknown
  int screenWidth = 0;
  int screenHeight = 0;
};

// Asks the running system.
DeviceFacts ReadDeviceFacts();

// The os naming rule, for the version numbers the system reports.
std::string OsVersionName(unsigned major, unsigned minor, unsigned build, bool is64Bit,
                          bool serverR2);

// Raises KxException for an unknown edition.
analytics_sdk::utils::PropertiesNode BuildCommonProperties(const KxTrackerParams& params,
                                                           const std::string& userId,
                                                           const DeviceFacts& facts);

}  // namespace analytics
}  // namespace tarvix
