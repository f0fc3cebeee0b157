#include <cstdio>

#include "app/unattended.h"
#include "utils/probe.h"

namespace App {
namespace unattended_platform {

void WriteConsoleLine(const std::string& utf8) {
  const std::string line = utf8 + "\n";
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fflush(stdout);
}

int32_t CheckNetworkNow() { return Utils::CheckNetwork(); }

}  // namespace unattended_platform
}  // namespace App
