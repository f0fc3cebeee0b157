#include <windows.h>

#include <cstdint>
#include <vector>

#include "proxy_setting.h"

namespace quillon_test {
namespace {

const wchar_t kConnections[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings\\Connections";
const wchar_t kValue[] = L"DefaultConnectionSettings";

void PutDword(std::vector<unsigned char>* out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out->push_back(static_cast<unsigned char>(v >> (8 * i)));
}
void PutText(std::vector<unsigned char>* out, const std::string& text) {
  PutDword(out, static_cast<uint32_t>(text.size()));
  out->insert(out->end(), text.begin(), text.end());
}

}  // namespace

// The binary settings record the Internet options write: a version mark,
// a change counter, the flags (2: a fixed proxy), then the proxy, the
// bypass list and the configuration script address, each as a length and
// its bytes.
ProxySetting::ProxySetting(const std::string& proxy) {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kConnections, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS)
    return;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, kValue, nullptr, &type, nullptr, &size) == ERROR_SUCCESS && type == REG_BINARY) {
    saved_.resize(size);
    if (RegQueryValueExW(key, kValue, nullptr, &type, reinterpret_cast<BYTE*>(&saved_[0]), &size) == ERROR_SUCCESS)
      had_ = true;
  }
  std::vector<unsigned char> record;
  PutDword(&record, 0x46);
  PutDword(&record, 1);
  PutDword(&record, 0x01 | 0x02);
  PutText(&record, proxy);
  PutText(&record, "");
  PutText(&record, "");
  record.resize(record.size() + 32, 0);
  RegSetValueExW(key, kValue, 0, REG_BINARY, record.data(), static_cast<DWORD>(record.size()));
  RegCloseKey(key);
}

ProxySetting::~ProxySetting() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kConnections, 0, KEY_WRITE, &key) != ERROR_SUCCESS) return;
  if (had_) {
    RegSetValueExW(key, kValue, 0, REG_BINARY, reinterpret_cast<const BYTE*>(saved_.data()),
                   static_cast<DWORD>(saved_.size()));
  } else {
    RegDeleteValueW(key, kValue);
  }
  RegCloseKey(key);
}

}  // namespace quillon_test
