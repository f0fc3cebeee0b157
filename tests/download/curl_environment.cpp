// libcurl's global set-up, once for the test program, as the entry point
// does it for the installer.
#include <curl/curl.h>
#include <gtest/gtest.h>

namespace {

class CurlEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { ASSERT_EQ(curl_global_init(CURL_GLOBAL_ALL), CURLE_OK); }
  void TearDown() override { curl_global_cleanup(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new CurlEnvironment);

}  // namespace
