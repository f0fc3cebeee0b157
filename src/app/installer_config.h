// The installer's process-wide settings record.
//
// Three layers, each overriding the one before: built-in defaults,
// "TarvixInstallerConfig.ini" (section "Install") beside the executable,
// and the command-line switches. Defaults and the file are applied during
// program initialisation, the command line later by the entry point.
//
// Threads: written only before worker threads exist; afterwards only
// LanguageIndex changes, on the window thread, and no worker reads it.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

struct InstallerConfig {
  std::wstring AppName = L"velmotranslate";
  std::wstring AppVersion = L"1.7.9";
  std::wstring ExeName = L"NULL";
  std::wstring DlAppNameSuffix = L".downloader";
  std::wstring DlAppVersion;
  std::wstring InstCmd;
  std::wstring DownloadUrl;
  int32_t DownloadType = 1;
  bool IsCheckNet = false;
  bool IsEnableAppSensors = true;
  double DownloadScale = 0.7;
  bool CurlReady = true;
  int32_t LanguageIndex = 0;
  bool InsNew = false;
  // The analytics collector (key "AnalyticsUrl" only); empty: the
  // tracker's default collector.
  std::wstring AnalyticsUrl;
  // The publisher's keys the package must be signed with: SHA-256 values
  // of SubjectPublicKeyInfo in hex, comma-separated (several during a key
  // change). Empty: the package's signature is not checked.
  std::wstring PublisherKey;
};

// The package URL built into the installer.
extern const wchar_t kBuiltInDownloadUrl[];
extern const wchar_t kConfigFileName[];

// The record of this process, filled with the defaults and the file when
// the program initialises (before main).
extern InstallerConfig g_InstallerConfig;

// Reads the file beside the running executable into g_InstallerConfig.
void LoadConfigFile();
// Reads the file beside `executablePath` into `config`.
void LoadConfigFile(InstallerConfig& config, const std::wstring& executablePath);

// Applies the process's own command line to g_InstallerConfig.
void ApplyCommandLine();
// Applies the tokens of a command line (program first) to `config`.
void ApplyCommandLine(InstallerConfig& config, const std::vector<std::wstring>& tokens);

// Key -> value of the tokens after the program: "-key=value" splits at the
// first "=", anything else is a key with an empty value; the first
// occurrence of a key wins.
using CommandLineMap = std::map<std::wstring, std::wstring>;
CommandLineMap BuildCommandLineMap(const std::vector<std::wstring>& tokens);

// What the route choice asks the system; tests put their own in.
struct RouteFacts {
  std::function<std::wstring()> osVersionName;
  std::function<bool()> isOs64Bit;
};
RouteFacts SystemRouteFacts();

// Replaces every "${ROUTE}" with the route for this system; a URL without
// the placeholder is returned as it is and the system is not asked.
std::wstring ResolveDownloadUrl(const std::wstring& url);
std::wstring ResolveDownloadUrl(const std::wstring& url, const RouteFacts& facts);

// The value rules of the switches and keys.
bool ConfigBoolean(const std::wstring& value);
double ConfigDouble(const std::wstring& value, double noNumber);
int32_t ConfigInteger(const std::wstring& value);
