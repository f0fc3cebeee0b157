#include "analytics_state.h"

#include <cstdio>
#include <random>

namespace tarvix {
namespace analytics {
namespace {

namespace sp = state_platform;

constexpr char kBase[] = "Base";
constexpr char kUninstallInfo[] = "UninstallInfo";
constexpr size_t kGuidAttempts = 11;  // the first call and at most 10 retries

std::string Native(std::string path) {
  for (char& c : path) {
    if (c == sp::ForeignSeparator()) c = sp::Separator();
  }
  return path;
}

std::string WithTrailingSeparator(std::string path) {
  if (path.empty() || path.back() != sp::Separator()) path += sp::Separator();
  return path;
}

}  // namespace

AnalyticsPaths ResolveAnalyticsPaths(const std::string& appName) {
  return ResolveAnalyticsPaths(appName, sp::ExecutableDirectory(), sp::BaseFolder());
}

AnalyticsPaths ResolveAnalyticsPaths(const std::string& appName, const std::string& executableDir,
                                     const std::string& baseFolder) {
  const char sep = sp::Separator();
  AnalyticsPaths paths;
  const std::string overrideFile = WithTrailingSeparator(Native(executableDir)) + "Set.ini";
  std::string chosen;
  if (sp::PathExists(overrideFile)) {
    chosen = Native(sp::ReadString("Install", "KXAnalyticsIni", "", overrideFile));
  }
  const size_t last = chosen.rfind(sep);
  if (!chosen.empty() && last != std::string::npos) {
    paths.configFile = chosen;
    paths.directory = chosen.substr(0, last + 1);
    CreateAnalyticsDirectories(paths.directory);
  } else {
    paths.directory = baseFolder + sep + "KXLocal" + sep + appName + sep;
    CreateAnalyticsDirectories(paths.directory);
    paths.configFile = paths.directory + appName + "_KXSConfigure.ini";
  }
  paths.defaultLogPath = paths.directory + appName + "_KXSLog.txt";
  return paths;
}

bool CreateAnalyticsDirectories(const std::string& path) {
  if (path.empty() || sp::PathExists(path)) return !path.empty();
  const std::string full = WithTrailingSeparator(Native(path));
  bool ok = true;
  // Every level is tried even after a failure: a level that exists already
  // (a drive root, a share) may refuse creation yet let the rest succeed.
  for (size_t at = full.find(sp::Separator()); at != std::string::npos;
       at = full.find(sp::Separator(), at + 1)) {
    const std::string prefix = full.substr(0, at + 1);
    if (!sp::PathExists(prefix) && !sp::MakeDirectory(prefix)) ok = false;
  }
  return ok;
}

AnalyticsIdentity LoadIdentity(const std::string& configFile) {
  AnalyticsIdentity identity;
  if (sp::PathExists(configFile)) {
    identity.distinctId = sp::ReadString(kBase, "DistinctId", "", configFile);
    identity.primaryDistinctId = sp::ReadString(kBase, "PrimaryDistinctId", "", configFile);
    if (identity.primaryDistinctId.empty()) identity.primaryDistinctId = identity.distinctId;
    identity.userId = sp::ReadString(kBase, "UserId", "", configFile);
    identity.userVipLevel = sp::ReadInt(kBase, "UserVipLevel", 0, configFile);
    identity.isLogined = sp::ReadString(kBase, "isLogined", "", configFile) == "OK";
    identity.url = sp::ReadString(kBase, "URL", "", configFile);
  }
  if (identity.distinctId.empty()) {
    identity.distinctId = GenerateDistinctId();
    SaveIdentity(configFile, identity);
  }
  return identity;
}

void SaveIdentity(const std::string& configFile, const AnalyticsIdentity& identity) {
  sp::WriteString(kBase, "DistinctId", identity.distinctId, configFile);
  sp::WriteString(kBase, "PrimaryDistinctId", identity.primaryDistinctId, configFile);
  sp::WriteString(kBase, "UserId", identity.userId, configFile);
  sp::WriteString(kBase, "UserVipLevel", std::to_string(identity.userVipLevel), configFile);
  sp::WriteString(kBase, "URL", identity.url, configFile);
  sp::WriteString(kBase, "isLogined", identity.isLogined ? "OK" : "NG", configFile);
}

void WriteUninstallInfo(const std::string& configFile, const std::string& appStore,
                        const std::string& appName, const std::string& appVersion) {
  sp::WriteString(kUninstallInfo, "AppStore", appStore, configFile);
  sp::WriteString(kUninstallInfo, "AppName", appName, configFile);
  sp::WriteString(kUninstallInfo, "AppVersion", appVersion, configFile);
}

std::string FormatDistinctId(uint32_t data1, uint16_t data2, uint16_t data3,
                             const unsigned char data4[8]) {
  char text[40];
  std::snprintf(text, sizeof(text), "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X",
                static_cast<unsigned>(data1), static_cast<unsigned>(data2),
                static_cast<unsigned>(data3), data4[0], data4[1], data4[2], data4[3], data4[4],
                data4[5], data4[6], data4[7]);
  return text;
}

std::string FallbackDistinctId(const uint32_t numbers[8]) {
  char text[96];
  std::snprintf(text, sizeof(text), "%x%x-%x-%x-%x-%x%x%x", static_cast<unsigned>(numbers[0]),
                static_cast<unsigned>(numbers[1]), static_cast<unsigned>(numbers[2]),
                static_cast<unsigned>((numbers[3] & 0x0FFF) | 0x4000),
                static_cast<unsigned>(numbers[4] % 0x3FFF + 0x8000), static_cast<unsigned>(numbers[5]),
                static_cast<unsigned>(numbers[6]), static_cast<unsigned>(numbers[7]));
  return text;
}

std::string GenerateDistinctId() {
  uint32_t data1 = 0;
  uint16_t data2 = 0, data3 = 0;
  unsigned char data4[8] = {};
  for (size_t attempt = 0; attempt < kGuidAttempts; ++attempt) {
    if (sp::CreateGuid(&data1, &data2, &data3, data4)) return FormatDistinctId(data1, data2, data3, data4);
  }
  std::random_device device;
  std::mt19937 engine(device());
  std::uniform_int_distribution<uint32_t> draw(0, 0x7FFFFFFF);
  uint32_t numbers[8];
  for (uint32_t& n : numbers) n = draw(engine);
  return FallbackDistinctId(numbers);
}

}  // namespace analytics
}  // namespace tarvix
