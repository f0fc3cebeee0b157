// What the tracker is built from. All texts are UTF-8.
#pragma once

#include <string>

namespace tarvix {
namespace analytics {

struct KxTrackerParams {
  std::string appName;     // required: kx_app_id and $app_id
  std::string appVersion;  // required: $app_version
  std::string appStore;    // required: kx_app_store
  std::string dlAppId;     // kx_dlapp_id when non-empty
  std::string dlAppVersion;  // kx_dlapp_version when non-empty
  std::string logPath;     // empty: the default log file in the analytics directory
  int edition = 0;         // 0 "china", 1 "overseas"
  std::string serverUrl;   // empty: the default collector
};

// "china" or "overseas"; anything else raises KxException from "toString".
std::string EditionName(int edition);

}  // namespace analytics
}  // namespace tarvix
