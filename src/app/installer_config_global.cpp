// The record itself, in its own file so that only programs that use it get
// its start-up work (reading the file beside the executable).
#include "app/installer_config.h"

#include "utils/files.h"

namespace {

InstallerConfig InitialConfig() {
  InstallerConfig config;
  config.DownloadUrl = ResolveDownloadUrl(kBuiltInDownloadUrl);
  LoadConfigFile(config, Utils::ExecutablePath());
  return config;
}

}  // namespace

InstallerConfig g_InstallerConfig = InitialConfig();
