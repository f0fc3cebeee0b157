#include <dirent.h>
#include <grp.h>
#include <pwd.h>
#include <sys/random.h>
#include <sys/statvfs.h>
#include <sys/utsname.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "log.h"
#include "probe.h"
#include "system_error.h"
#include "utf8.h"

namespace Utils {
namespace {

bool ReadWholeFile(const std::string& path, std::string* out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream text;
  text << in.rdbuf();
  *out = text.str();
  return true;
}

bool UserName(uid_t uid, std::wstring* name) {
  struct passwd pw;
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (getpwuid_r(uid, &pw, buffer.data(), buffer.size(), &found) != 0 || !found) return false;
  *name = Utf8ToWide(found->pw_name);
  return true;
}

}  // namespace

namespace probe_platform {

// QUILLON_PROC_NET names a folder that stands in for /proc/net, holding
// "route" and "ipv6_route"; tests use it to stage any network.
bool QueryConnectivity(Connectivity* out) {
  const char* folder = getenv("QUILLON_PROC_NET");
  const std::string base = folder && *folder ? folder : "/proc/net";
  std::string ipv4, ipv6;
  const bool have4 = ReadWholeFile(base + "/route", &ipv4);
  const bool have6 = ReadWholeFile(base + "/ipv6_route", &ipv6);
  if (!have4 && !have6) return false;
  out->flags = ConnectivityFromRoutes(ipv4, ipv6, &out->internet);
  return true;
}

}  // namespace probe_platform

bool HardDiskManager::CheckFreeSpace(const std::wstring& folder) {
  struct statvfs st;
  if (statvfs(WideToUtf8(folder).c_str(), &st) != 0) {
    const uint32_t error = LastSystemError();
    UTILS_LOG(L"HardDiskManager::CheckFreeSpace FAIL code=%lu%s", static_cast<unsigned long>(error),
              SystemErrorNote(error).c_str());
    return false;
  }
  const uint64_t unit = st.f_frsize ? st.f_frsize : st.f_bsize;
  freeBytesAvailable_ = static_cast<uint64_t>(st.f_bavail) * unit;
  totalBytes_ = static_cast<uint64_t>(st.f_blocks) * unit;
  totalFreeBytes_ = static_cast<uint64_t>(st.f_bfree) * unit;
  return true;
}

bool IsProcessAdmin() { return geteuid() == 0; }

bool ConsoleUserName(std::wstring* name) {
  // logind keeps the user of the seat's foreground session here.
  std::string seat;
  if (ReadWholeFile("/run/systemd/seats/seat0", &seat)) {
    std::istringstream in(seat);
    std::string line;
    while (std::getline(in, line)) {
      if (line.compare(0, 11, "ACTIVE_UID=") == 0) {
        char* end = nullptr;
        const unsigned long uid = strtoul(line.c_str() + 11, &end, 10);
        if (end != line.c_str() + 11 && UserName(static_cast<uid_t>(uid), name)) return true;
      }
    }
  }
  return UserName(getuid(), name);
}

bool IsUserAdminAccount(const std::wstring& userName) {
  const std::string user = WideToUtf8(userName);
  struct passwd pw;
  struct passwd* found = nullptr;
  std::vector<char> buffer(16384);
  if (user.empty() || getpwnam_r(user.c_str(), &pw, buffer.data(), buffer.size(), &found) != 0 ||
      !found) {
    return false;
  }
  if (found->pw_uid == 0) return true;
  int count = 64;
  std::vector<gid_t> groups(static_cast<size_t>(count));
  if (getgrouplist(user.c_str(), found->pw_gid, groups.data(), &count) < 0) {
    if (count <= 0 || count > 65536) return false;
    groups.resize(static_cast<size_t>(count));
    if (getgrouplist(user.c_str(), found->pw_gid, groups.data(), &count) < 0) return false;
  }
  for (int i = 0; i < count; ++i) {
    struct group gr;
    struct group* g = nullptr;
    std::vector<char> gbuffer(65536);
    if (getgrgid_r(groups[static_cast<size_t>(i)], &gr, gbuffer.data(), gbuffer.size(), &g) != 0 ||
        !g) {
      continue;
    }
    if (!strcmp(g->gr_name, "sudo") || !strcmp(g->gr_name, "wheel") || !strcmp(g->gr_name, "admin")) {
      return true;
    }
  }
  return false;
}

OsVersionName GetOsVersionName() {
  struct utsname u;
  if (uname(&u) != 0) return OsVersionName{L"Linux", L""};
  return OsVersionName{Utf8ToWide(u.sysname), Utf8ToWide(u.release)};
}

bool IsOs64Bit() {
  struct utsname u;
  if (uname(&u) != 0) return sizeof(void*) == 8;
  return MachineIs64Bit(u.machine);
}

uint32_t FindProcessByName(const std::wstring& name) {
  const std::string wanted = WideToUtf8(name);
  if (wanted.empty()) return 0;
  DIR* proc = opendir("/proc");
  if (!proc) return 0;
  uint32_t best = 0;
  while (struct dirent* entry = readdir(proc)) {
    char* end = nullptr;
    const unsigned long pid = strtoul(entry->d_name, &end, 10);
    if (pid == 0 || *end != '\0') continue;
    const std::string base = std::string("/proc/") + entry->d_name;
    std::string file;
    char link[4096];
    const ssize_t n = readlink((base + "/exe").c_str(), link, sizeof link - 1);
    if (n > 0) {
      file.assign(link, static_cast<size_t>(n));
      const std::string deleted = " (deleted)";
      if (file.size() > deleted.size() &&
          file.compare(file.size() - deleted.size(), deleted.size(), deleted) == 0) {
        file.resize(file.size() - deleted.size());
      }
    } else {
      // Other users' processes hide their executable link; their first
      // argument is the best that can be had.
      std::string cmdline;
      if (!ReadWholeFile(base + "/cmdline", &cmdline) || cmdline.empty()) continue;
      file = cmdline.c_str();
    }
    const std::string::size_type slash = file.rfind('/');
    if (slash != std::string::npos) file.erase(0, slash + 1);
    // readdir gives no order; the lowest id is the first process.
    if (file == wanted && (best == 0 || pid < best)) best = static_cast<uint32_t>(pid);
  }
  closedir(proc);
  return best;
}

std::wstring MakeGuidString() {
  unsigned char bits[16];
  size_t have = 0;
  for (int tries = 0; have < sizeof bits && tries < 8; ++tries) {
    const ssize_t n = getrandom(bits + have, sizeof bits - have, 0);
    if (n > 0) have += static_cast<size_t>(n);
  }
  if (have < sizeof bits) return std::wstring();
  const uint32_t d1 = static_cast<uint32_t>(bits[0]) << 24 | static_cast<uint32_t>(bits[1]) << 16 |
                      static_cast<uint32_t>(bits[2]) << 8 | bits[3];
  const uint16_t d2 = static_cast<uint16_t>(bits[4] << 8 | bits[5]);
  const uint16_t d3 = static_cast<uint16_t>(bits[6] << 8 | bits[7]);
  return FormatGuid(d1, d2, d3, bits + 8);
}

}  // namespace Utils
