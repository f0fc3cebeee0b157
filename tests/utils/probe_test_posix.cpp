#include <sys/utsname.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>

#include "probe_test_platform.h"
#include "support/log_capture.h"
#include "support/scratch_dir.h"
#include "utils/probe.h"
#include "utils/utf8.h"

namespace quillon_test {

std::wstring ExpectedOsFamily() { return L"Linux"; }

void CheckOsVersionName(const std::wstring& version) {
  struct utsname u;
  ASSERT_EQ(uname(&u), 0);
  EXPECT_EQ(version, Utils::Utf8ToWide(u.release));
  EXPECT_EQ(version.find(L"XP"), std::wstring::npos);
}

bool ExpectedOs64Bit() {
  struct utsname u;
  uname(&u);
  return std::string(u.machine) == "x86_64" || std::string(u.machine) == "aarch64";
}

void CheckUserRights() {
  EXPECT_EQ(Utils::IsProcessAdmin(), geteuid() == 0);
  EXPECT_TRUE(Utils::IsUserAdminAccount(L"root"));
  std::wstring name;
  EXPECT_TRUE(Utils::ConsoleUserName(&name));
  EXPECT_FALSE(name.empty());
}

namespace {

const char kRouteHeader[] =
    "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n";

// Points the probe at a staged /proc/net for the lifetime of the object.
class StagedNetwork {
 public:
  StagedNetwork(const std::string* route, const std::string* ipv6) {
    if (route) dir_.Write(L"route", *route);
    if (ipv6) dir_.Write(L"ipv6_route", *ipv6);
    setenv("QUILLON_PROC_NET", dir_.Path().string().c_str(), 1);
  }
  ~StagedNetwork() { unsetenv("QUILLON_PROC_NET"); }

 private:
  ScratchDir dir_;
};

TEST(CheckNetwork, DefaultRouteMeansInternet) {
  const std::string route = std::string(kRouteHeader) +
                            "eth0\t00000000\t0100A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
                            "eth0\t0000A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n";
  StagedNetwork net(&route, nullptr);
  LogCapture log;
  const int32_t r = Utils::CheckNetwork();
  EXPECT_EQ(Utils::NetworkVerdict(r), 0);
  EXPECT_EQ(r & 0xFFFF, Utils::kNetIpv4Internet | Utils::kNetIpv4Subnet);
  EXPECT_TRUE(log.Lines().empty());
}

TEST(CheckNetwork, OnlyLoopbackMeansNoConnectivity) {
  const std::string route = std::string(kRouteHeader) +
                            "lo\t00000000\t00000000\t0001\t0\t0\t0\t00000000\t0\t0\t0\n";
  const std::string ipv6 =
      "00000000000000000000000000000001 80 00000000000000000000000000000000 00 "
      "00000000000000000000000000000000 00000000 00000001 00000000 00000001 lo\n"
      "fe800000000000000000000000000000 40 00000000000000000000000000000000 00 "
      "00000000000000000000000000000000 00000100 00000001 00000000 00000001 eth0\n";
  StagedNetwork net(&route, &ipv6);
  LogCapture log;
  const int32_t r = Utils::CheckNetwork();
  EXPECT_EQ(r, 1 << 16);
  ASSERT_EQ(log.Messages().size(), 1u);
  EXPECT_EQ(log.Messages()[0], L"GetConnectivity 0");
  EXPECT_NE(log.Lines()[0].find(L"(Utils::CheckNetwork)"), std::wstring::npos);
}

TEST(CheckNetwork, LocalRoutesWithoutDefaultMeanNoInternet) {
  const std::string route = std::string(kRouteHeader) +
                            "eth0\t0000A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
                            "eth0\t00000000\t0100A8C0\t0002\t0\t0\t100\t00000000\t0\t0\t0\n";  // down
  const std::string ipv6 =
      "20010db8000000000000000000000000 40 00000000000000000000000000000000 00 "
      "00000000000000000000000000000000 00000100 00000001 00000000 00000001 eth0\n";
  StagedNetwork net(&route, &ipv6);
  LogCapture log;
  const int32_t r = Utils::CheckNetwork();
  EXPECT_EQ(Utils::NetworkVerdict(r), 2);
  EXPECT_EQ(r & 0xFFFF, Utils::kNetIpv4Subnet | Utils::kNetIpv6Subnet);
  ASSERT_EQ(log.Messages().size(), 1u);
  EXPECT_EQ(log.Messages()[0], L"get_IsConnectedToInternet:0");
}

TEST(CheckNetwork, Ipv6DefaultRouteAloneIsInternet) {
  const std::string ipv6 =
      "00000000000000000000000000000000 00 00000000000000000000000000000000 00 "
      "fe800000000000000000000000000001 00000400 00000001 00000000 00000003 wlan0\n";
  StagedNetwork net(nullptr, &ipv6);
  const int32_t r = Utils::CheckNetwork();
  EXPECT_EQ(r, static_cast<int32_t>(Utils::kNetIpv6Internet));
}

TEST(CheckNetwork, NoRouteTablesMeansTheQueryFailed) {
  StagedNetwork net(nullptr, nullptr);
  LogCapture log;
  EXPECT_EQ(Utils::CheckNetwork(), 0);
  EXPECT_TRUE(log.Lines().empty());
}

TEST(CheckNetwork, GarbageRouteTablesDoNotCrash) {
  std::string noise(200000, '\0');
  for (size_t i = 0; i < noise.size(); ++i) noise[i] = static_cast<char>((i * 131 + 7) % 256);
  StagedNetwork net(&noise, &noise);
  const int32_t r = Utils::CheckNetwork();
  EXPECT_LE(Utils::NetworkVerdict(r), 2);
}

}  // namespace
}  // namespace quillon_test
