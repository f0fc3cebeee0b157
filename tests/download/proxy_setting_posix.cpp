#include <cstdlib>

#include "proxy_setting.h"

namespace quillon_test {

ProxySetting::ProxySetting(const std::string& proxy) {
  if (const char* old = std::getenv("http_proxy")) {
    had_ = true;
    saved_ = old;
  }
  setenv("http_proxy", ("http://" + proxy).c_str(), 1);
}

ProxySetting::~ProxySetting() {
  if (had_) setenv("http_proxy", saved_.c_str(), 1);
  else unsetenv("http_proxy");
}

}  // namespace quillon_test
