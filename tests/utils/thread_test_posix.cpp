#include <pthread.h>

#include "thread_test_platform.h"

namespace quillon_test {

std::string CurrentThreadName() {
  char name[64] = {};
  pthread_getname_np(pthread_self(), name, sizeof name);
  return name;
}

std::string AsSystemKeepsIt(const std::string& name) { return name.substr(0, 15); }

}  // namespace quillon_test
