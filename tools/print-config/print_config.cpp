// Prints the installer's settings record as the installer fills it:
// defaults, "TarvixInstallerConfig.ini" beside this program, then this
// program's command line. One "Name=value" line per field, in declaration
// order; doubles with %g (a NaN as "nan"), booleans as true/false, text in
// UTF-8.
#include <cmath>
#include <cstdio>
#include <string>

#include "app/installer_config.h"
#include "utils/utf8.h"

namespace {

void Print(const char* name, const std::string& value) {
  std::string line = std::string(name) + "=" + value + "\n";
  fwrite(line.data(), 1, line.size(), stdout);
}
void Print(const char* name, const std::wstring& value) { Print(name, Utils::WideToUtf8(value)); }
void Print(const char* name, bool value) { Print(name, std::string(value ? "true" : "false")); }
void Print(const char* name, int32_t value) { Print(name, std::to_string(value)); }
void Print(const char* name, double value) {
  if (std::isnan(value)) return Print(name, std::string("nan"));
  char text[64];
  snprintf(text, sizeof text, "%g", value);
  Print(name, std::string(text));
}

}  // namespace

int main() {
  ApplyCommandLine();
  const InstallerConfig& c = g_InstallerConfig;
  Print("AppName", c.AppName);
  Print("AppVersion", c.AppVersion);
  Print("ExeName", c.ExeName);
  Print("DlAppNameSuffix", c.DlAppNameSuffix);
  Print("DlAppVersion", c.DlAppVersion);
  Print("InstCmd", c.InstCmd);
  Print("DownloadUrl", c.DownloadUrl);
  Print("DownloadType", c.DownloadType);
  Print("IsCheckNet", c.IsCheckNet);
  Print("IsEnableAppSensors", c.IsEnableAppSensors);
  Print("DownloadScale", c.DownloadScale);
  Print("CurlReady", c.CurlReady);
  Print("LanguageIndex", c.LanguageIndex);
  Print("InsNew", c.InsNew);
  Print("AnalyticsUrl", c.AnalyticsUrl);
  Print("PublisherKey", c.PublisherKey);
  fflush(stdout);
  return 0;
}
