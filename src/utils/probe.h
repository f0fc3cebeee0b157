// Questions the installer asks the system: network, free space, rights,
// operating system, running processes, and fresh GUIDs.
//
// Free functions without shared state; any thread may call them.
// Failures are answered through the result, never by throwing.
#pragma once

#include <cstdint>
#include <string>

namespace Utils {

// The network list manager's connectivity flags in the low 16 bits and a
// verdict above them: 0 connected to the internet, 1 no connectivity,
// 2 a network without internet access. 0 as a whole: the query failed.
// On Windows the calling thread must have initialised COM.
int32_t CheckNetwork();

// Connectivity flags, as the network list manager names them.
enum : uint32_t {
  kNetIpv4NoTraffic = 0x1,
  kNetIpv6NoTraffic = 0x2,
  kNetIpv4Subnet = 0x10,
  kNetIpv4LocalNetwork = 0x20,
  kNetIpv4Internet = 0x40,
  kNetIpv6Subnet = 0x100,
  kNetIpv6LocalNetwork = 0x200,
  kNetIpv6Internet = 0x400,
};

// The verdict part of a CheckNetwork result.
inline int NetworkVerdict(int32_t result) { return static_cast<int>((result >> 16) & 0xFFFF); }

class HardDiskManager {
 public:
  // Fills the three counts for the volume that holds `folder`. On failure
  // writes a trace line with the system's error code and returns false.
  bool CheckFreeSpace(const std::wstring& folder);

  uint64_t FreeBytesAvailable() const { return freeBytesAvailable_; }
  uint64_t TotalBytes() const { return totalBytes_; }
  uint64_t TotalFreeBytes() const { return totalFreeBytes_; }

 private:
  uint64_t freeBytesAvailable_ = 0;
  uint64_t totalBytes_ = 0;
  uint64_t totalFreeBytes_ = 0;
};

// The calling thread's token is in the Administrators group (Linux: the
// effective user is root).
bool IsProcessAdmin();
// The user of the active console session (Linux: of the active login seat,
// else the invoking user). False when it cannot be told.
bool ConsoleUserName(std::wstring* name);
// The local account has administrator privilege (Linux: uid 0, or member
// of "sudo", "wheel" or "admin"). False when the account is unknown.
bool IsUserAdminAccount(const std::wstring& userName);

struct OsVersionName {
  std::wstring family;   // "Windows" on Windows, the kernel's name on Linux
  std::wstring version;  // "XP", "7", "10+", ...; the kernel release on Linux
};
OsVersionName GetOsVersionName();
// The Windows version name of a version number; `serverR2` is the
// SM_SERVERR2 metric, asked only for 5.2.
std::wstring WindowsVersionName(unsigned major, unsigned minor, unsigned build, bool serverR2);

// The machine (not the process) has a 64-bit word.
bool IsOs64Bit();
// A machine name from uname: "x86_64", "aarch64", ... is 64-bit.
bool MachineIs64Bit(const std::string& machine);

// Id of the first process whose executable file name equals `name`
// (case-sensitive), 0 when none.
uint32_t FindProcessByName(const std::wstring& name);

// 32 hexadecimal digits, the third group in lower case, the rest upper.
std::wstring MakeGuidString();
std::wstring FormatGuid(uint32_t data1, uint16_t data2, uint16_t data3, const unsigned char data4[8]);

// The connectivity flags that the kernel's route tables imply: the text of
// /proc/net/route and /proc/net/ipv6_route. A default route on an interface
// other than loopback counts as internet access.
uint32_t ConnectivityFromRoutes(const std::string& ipv4, const std::string& ipv6, bool* internet);

namespace probe_platform {

struct Connectivity {
  uint32_t flags = 0;
  bool internet = false;
};
// False when the system's view cannot be had at all.
bool QueryConnectivity(Connectivity* out);

}  // namespace probe_platform
}  // namespace Utils
