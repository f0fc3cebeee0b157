// Points this process's downloads at a proxy the way a user would: the
// proxy environment variable on Linux, the user's Internet settings in the
// registry on Windows. The object puts the earlier setting back.
#pragma once

#include <string>

namespace quillon_test {

class ProxySetting {
 public:
  explicit ProxySetting(const std::string& proxy);  // "127.0.0.1:PORT"
  ~ProxySetting();
  ProxySetting(const ProxySetting&) = delete;
  ProxySetting& operator=(const ProxySetting&) = delete;

 private:
  std::string saved_;
  bool had_ = false;
};

}  // namespace quillon_test
