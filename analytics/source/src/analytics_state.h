// The analytics identity of this machine between runs: where its ini file
// lives, and what is read from and written to it. Narrow paths in the
// system's file-name code page.
#pragma once

#include <string>

namespace tarvix {
namespace analytics {

struct AnalyticsPaths {
  std::string directory;       // ends with the path separator
  std::string configFile;      // ... "<appName>_KXSConfigure.ini", or the Set.ini override
  std::string defaultLogPath;  // directory + appName + "_KXSLog.txt"
};

// Resolves (and creates) the directory for this process: the "Set.ini"
// override beside the executable, else the per-user data folder.
AnalyticsPaths ResolveAnalyticsPaths(const std::string& appName);
// The same rule with the executable's directory and the base folder given.
AnalyticsPaths ResolveAnalyticsPaths(const std::string& appName, const std::string& executableDir,
                                     const std::string& baseFolder);

// Creates every missing level; false when any creation failed.
bool CreateAnalyticsDirectories(const std::string& path);

struct AnalyticsIdentity {
  std::string distinctId;
  std::string primaryDistinctId;
  std::string userId;
  int userVipLevel = 0;
  std::string url;
  bool isLogined = false;
};

// Reads section "Base"; generates and saves a DistinctId when none is stored.
AnalyticsIdentity LoadIdentity(const std::string& configFile);
void SaveIdentity(const std::string& configFile, const AnalyticsIdentity& identity);
void WriteUninstallInfo(const std::string& configFile, const std::string& appStore,
                        const std::string& appName, const std::string& appVersion);

// A new anonymous id: an upper-case GUID without braces (36 characters).
std::string GenerateDistinctId();

}  // namespace analytics
}  // namespace tarvix
