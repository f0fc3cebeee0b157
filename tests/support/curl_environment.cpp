// libcurl's global set-up for the whole test program, as the installer's
// start-up does it. Compiled into each test program that transfers (a
// static library would drop this unreferenced object).
#include <curl/curl.h>
#include <gtest/gtest.h>

namespace {

class CurlEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_EQ(curl_global_init(CURL_GLOBAL_ALL), CURLE_OK); }
  // No curl_global_cleanup: detached threads of the shutdown tests may
  // still hold handles while the program exits.
};

const auto* const kCurl = ::testing::AddGlobalTestEnvironment(new CurlEnvironment);

}  // namespace
