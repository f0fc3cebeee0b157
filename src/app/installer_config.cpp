#include "app/installer_config.h"

#include <cmath>
#include <cstdint>
#include <cwchar>

#include "utils/cmdline.h"
#include "utils/files.h"
#include "utils/probe.h"
#include "utils/profile.h"
#include "utils/text.h"

const wchar_t kBuiltInDownloadUrl[] = L"http://dlstat.tarvixsoft.com/software/381";
const wchar_t kConfigFileName[] = L"TarvixInstallerConfig.ini";

namespace {

const wchar_t kSection[] = L"Install";
const wchar_t kRoute[] = L"${ROUTE}";
const int kProductNumber = 582;
const int kRoute64Products[] = {267, 385, 257, 335, 318};

}  // namespace

bool ConfigBoolean(const std::wstring& value) { return value == L"true"; }

double ConfigDouble(const std::wstring& value, double noNumber) {
  const wchar_t* begin = value.c_str();
  wchar_t* end = nullptr;
  const double d = std::wcstod(begin, &end);
  return end == begin ? noNumber : d;
}

int32_t ConfigInteger(const std::wstring& value) {
  // Numbers beyond the type's range stop at its limits.
  const long long n = std::wcstoll(value.c_str(), nullptr, 10);
  if (n > INT32_MAX) return INT32_MAX;
  if (n < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(n);
}

RouteFacts SystemRouteFacts() {
  return RouteFacts{[] { return Utils::GetOsVersionName().version; }, [] { return Utils::IsOs64Bit(); }};
}

std::wstring ResolveDownloadUrl(const std::wstring& url) {
  return ResolveDownloadUrl(url, SystemRouteFacts());
}

std::wstring ResolveDownloadUrl(const std::wstring& url, const RouteFacts& facts) {
  if (url.find(kRoute) == std::wstring::npos) return url;
  std::wstring route = L"download_silent";
  if (facts.osVersionName().find(L"XP") != std::wstring::npos) {
    route = L"download_silent_xp";
  } else {
    bool listed = false;
    for (int product : kRoute64Products) listed = listed || product == kProductNumber;
    if (listed && facts.isOs64Bit()) route = L"download_silent_64";
  }
  return Utils::ReplaceAll(url, kRoute, route);
}

constexpr size_t kPublisherKeyBuffer = 1024;

void LoadConfigFile() { LoadConfigFile(g_InstallerConfig, Utils::ExecutablePath()); }

void LoadConfigFile(InstallerConfig& config, const std::wstring& executablePath) {
  const std::wstring::size_type slash = executablePath.rfind(Utils::PathSeparator());
  const std::wstring folder =
      slash == std::wstring::npos ? std::wstring() : executablePath.substr(0, slash);
  config.ExeName = slash == std::wstring::npos ? executablePath : executablePath.substr(slash + 1);
  const std::wstring ini = folder + Utils::PathSeparator() + kConfigFileName;

  if (Utils::PathExists(ini)) {
    auto text = [&ini](const wchar_t* key, const wchar_t* fallback) {
      return Utils::ReadProfileString(kSection, key, fallback, ini, Utils::kProfileBuffer);
    };
    config.DownloadUrl = ResolveDownloadUrl(text(L"DownloadUrl", kBuiltInDownloadUrl));
    config.DownloadType = Utils::ReadProfileInt(kSection, L"DownloadType", 1, ini);
    config.IsCheckNet = ConfigBoolean(text(L"IsCheckNet", L"true"));
    config.IsEnableAppSensors = ConfigBoolean(text(L"IsEnableAppSensors", L"true"));
    config.DlAppNameSuffix = text(L"DlAppNameSuffix", L".downloader");
    config.DlAppVersion = text(L"m_DlAppVersion", L"");
    config.DownloadScale = ConfigDouble(text(L"DownloadScale", L"0.7"), 0.0);
    config.InstCmd = text(L"InstCmd", L"");
    config.AnalyticsUrl = text(L"AnalyticsUrl", L"");
    // Room for several keys: one is 64 digits.
    config.PublisherKey = Utils::ReadProfileString(kSection, L"PublisherKey", L"", ini, kPublisherKeyBuffer);
  }
  config.AppName = L"velmotranslate";
  config.AppVersion = L"1.7.9";
}

CommandLineMap BuildCommandLineMap(const std::vector<std::wstring>& tokens) {
  CommandLineMap map;
  for (size_t i = 1; i < tokens.size(); ++i) {
    const std::wstring& t = tokens[i];
    const std::wstring::size_type eq = t.find(L'=');
    if (!t.empty() && t[0] == L'-' && eq != std::wstring::npos) {
      map.emplace(t.substr(0, eq), t.substr(eq + 1));
    } else {
      map.emplace(t, std::wstring());
    }
  }
  return map;
}

void ApplyCommandLine() { ApplyCommandLine(g_InstallerConfig, Utils::ProcessArguments()); }

void ApplyCommandLine(InstallerConfig& config, const std::vector<std::wstring>& tokens) {
  const CommandLineMap map = BuildCommandLineMap(tokens);
  auto has = [&map](const wchar_t* key, std::wstring* value) {
    const auto it = map.find(key);
    if (it == map.end()) return false;
    *value = it->second;
    return true;
  };
  std::wstring v;
  if (has(L"-downloadurl", &v)) config.DownloadUrl = ResolveDownloadUrl(v);
  if (has(L"-downloadtype", &v)) config.DownloadType = ConfigInteger(v);
  if (has(L"-downloadscale", &v)) config.DownloadScale = ConfigDouble(v, std::copysign(NAN, -1.0));
  if (has(L"-ischecknet", &v)) config.IsCheckNet = ConfigBoolean(v);
  if (has(L"-isenableappsensors", &v)) config.IsEnableAppSensors = ConfigBoolean(v);
  if (has(L"-dlappnamesuffix", &v)) config.DlAppNameSuffix = v;
  if (has(L"-dlappversion", &v)) config.DlAppVersion = v;
  if (has(L"-instcmd", &v)) config.InstCmd = v;
  if (has(L"-language", &v)) config.LanguageIndex = ConfigInteger(v);
  if (has(L"-insnew", &v)) config.InsNew = ConfigBoolean(v);
  if (has(L"-publisherkey", &v)) config.PublisherKey = v;
}
