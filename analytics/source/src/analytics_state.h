// The analytics identity of this machine between runs: where its ini file
// lives, and what is read from and written to it. Narrow paths in the
// system's file-name code page.
#pragma once

#include <cstdint>
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

// The id text of a GUID: "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X".
std::string FormatDistinctId(uint32_t data1, uint16_t data2, uint16_t data3,
                             const unsigned char data4[8]);
// The id made of eight pseudo-random non-negative numbers when no GUID
// can be had ("%x%x-%x-%x-%x-%x%x%x", the fourth and fifth shaped like a
// version-4 GUID's).
std::string FallbackDistinctId(const uint32_t numbers[8]);

// The system side of the rules above, one file per platform. Narrow paths
// and values; Windows uses the ANSI profile functions, Linux our ini rules.
namespace state_platform {

char Separator();         // "\" on Windows, "/" on Linux
char ForeignSeparator();  // the other one, accepted and replaced
// The running program's directory, with a trailing separator.
std::string ExecutableDirectory();
// The per-user (or, on old systems, shared) folder the analytics
// directory goes under, without a trailing separator; empty on failure.
std::string BaseFolder();
bool PathExists(const std::string& path);
bool MakeDirectory(const std::string& path);
// At most 127 characters, as a 128-byte buffer holds.
std::string ReadString(const std::string& section, const std::string& key,
                       const std::string& defaultValue, const std::string& file);
int ReadInt(const std::string& section, const std::string& key, int defaultValue,
            const std::string& file);
void WriteString(const std::string& section, const std::string& key, const std::string& value,
                 const std::string& file);
// False when the system gave no GUID.
bool CreateGuid(uint32_t* data1, uint16_t* data2, uint16_t* data3, unsigned char data4[8]);

}  // namespace state_platform

}  // namespace analytics
}  // namespace tarvix
