#include "probe.h"

#include <cstdlib>
#include <cwchar>
#include <sstream>
#include <vector>

#include "log.h"

namespace Utils {

int32_t CheckNetwork() {
  probe_platform::Connectivity c;
  if (!probe_platform::QueryConnectivity(&c)) return 0;
  int32_t verdict = 0;
  if (c.flags == 0) {
    UTILS_LOG(L"GetConnectivity %d", static_cast<int>(c.flags));
    verdict = 1;
  } else if (!c.internet) {
    UTILS_LOG(L"get_IsConnectedToInternet:%d", 0);
    verdict = 2;
  }
  return static_cast<int32_t>((c.flags & 0xFFFF) | (static_cast<uint32_t>(verdict) << 16));
}

std::wstring WindowsVersionName(unsigned major, unsigned minor, unsigned build, bool serverR2) {
  if (major <= 4) return L"XP-";
  if (major == 5) {
    if (minor == 0) return L"2K";
    if (minor == 1) return L"XP";
    if (minor == 2) return serverR2 ? L"Server 2003 R2" : L"Server 2003";
    return L"XP+";
  }
  if (major == 6) {
    static const wchar_t* const kNames[] = {L"Vista", L"7", L"8", L"8.1"};
    return minor < 4 ? kNames[minor] : L"8.1+";
  }
  if (major == 10) return minor == 0 ? L"10" : L"10+";
  wchar_t text[64];
  swprintf(text, 64, L"%u.%u.%u", major, minor, build);
  return text;
}

bool MachineIs64Bit(const std::string& machine) {
  return machine.find("64") != std::string::npos || machine == "s390x" || machine == "alpha";
}

std::wstring FormatGuid(uint32_t data1, uint16_t data2, uint16_t data3, const unsigned char data4[8]) {
  wchar_t text[40];
  swprintf(text, 40, L"%08X%04X%04x%02X%02X%02X%02X%02X%02X%02X%02X", static_cast<unsigned>(data1),
           static_cast<unsigned>(data2), static_cast<unsigned>(data3), data4[0], data4[1], data4[2],
           data4[3], data4[4], data4[5], data4[6], data4[7]);
  return text;
}

namespace {

std::vector<std::string> Fields(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> fields;
  std::string field;
  while (in >> field) fields.push_back(field);
  return fields;
}

unsigned long Hex(const std::string& text) { return std::strtoul(text.c_str(), nullptr, 16); }

}  // namespace

uint32_t ConnectivityFromRoutes(const std::string& ipv4, const std::string& ipv6, bool* internet) {
  constexpr unsigned long kUp = 0x1, kGateway = 0x2, kReject = 0x200;
  uint32_t flags = 0;
  *internet = false;
  std::istringstream v4(ipv4);
  std::string line;
  // Iface Destination Gateway Flags RefCnt Use Metric Mask ...
  while (std::getline(v4, line)) {
    const std::vector<std::string> f = Fields(line);
    if (f.size() < 8 || f[0] == "Iface" || f[0] == "lo") continue;
    const unsigned long routeFlags = Hex(f[3]);
    if (!(routeFlags & kUp) || (routeFlags & kReject)) continue;
    if (Hex(f[1]) == 0 && Hex(f[7]) == 0) {
      flags |= kNetIpv4Internet;
      *internet = true;
    } else {
      flags |= (routeFlags & kGateway) ? kNetIpv4LocalNetwork : kNetIpv4Subnet;
    }
  }
  std::istringstream v6(ipv6);
  // Destination PrefixLength Source PrefixLength NextHop Metric RefCnt Use Flags Iface
  while (std::getline(v6, line)) {
    const std::vector<std::string> f = Fields(line);
    if (f.size() < 10 || f[9] == "lo" || f[0].size() != 32) continue;
    const unsigned long routeFlags = Hex(f[8]);
    if (!(routeFlags & kUp) || (routeFlags & kReject)) continue;
    // Link-local and multicast routes exist on every interface that is up.
    if (f[0].compare(0, 4, "fe80") == 0 || f[0].compare(0, 2, "ff") == 0) continue;
    if (Hex(f[1]) == 0) {
      flags |= kNetIpv6Internet;
      *internet = true;
    } else {
      flags |= (routeFlags & kGateway) ? kNetIpv6LocalNetwork : kNetIpv6Subnet;
    }
  }
  return flags;
}

}  // namespace Utils
