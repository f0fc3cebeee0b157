#include <windows.h>
#include <winhttp.h>

#include <map>
#include <mutex>

#include "utils/proxy.h"
#include "utils/utf8.h"

namespace {

struct IeConfig {
  WINHTTP_CURRENT_USER_IE_PROXY_CONFIG value{};
  IeConfig() {
    if (!WinHttpGetIEProxyConfigForCurrentUser(&value)) value = WINHTTP_CURRENT_USER_IE_PROXY_CONFIG{};
  }
  ~IeConfig() {
    if (value.lpszAutoConfigUrl) GlobalFree(value.lpszAutoConfigUrl);
    if (value.lpszProxy) GlobalFree(value.lpszProxy);
    if (value.lpszProxyBypass) GlobalFree(value.lpszProxyBypass);
  }
};

std::string Narrow(const wchar_t* text) { return text ? Utils::WideToUtf8(text) : std::string(); }

// The script's (or WPAD's) answer for the URL: a proxy list, or empty.
bool ScriptProxy(const IeConfig& ie, const std::string& url, std::string* list, std::string* bypass) {
  HINTERNET session =
      WinHttpOpen(L"Quillon", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0);
  if (!session) return false;
  WINHTTP_AUTOPROXY_OPTIONS options{};
  if (ie.value.lpszAutoConfigUrl) {
    options.dwFlags = WINHTTP_AUTOPROXY_CONFIG_URL;
    options.lpszAutoConfigUrl = ie.value.lpszAutoConfigUrl;
  } else {
    options.dwFlags = WINHTTP_AUTOPROXY_AUTO_DETECT;
    options.dwAutoDetectFlags = WINHTTP_AUTO_DETECT_TYPE_DHCP | WINHTTP_AUTO_DETECT_TYPE_DNS_A;
  }
  options.fAutoLogonIfChallenged = TRUE;
  WINHTTP_PROXY_INFO info{};
  const std::wstring wide = Utils::Utf8ToWide(url);
  const bool answered = WinHttpGetProxyForUrl(session, wide.c_str(), &options, &info) != FALSE;
  if (answered) {
    if (info.dwAccessType == WINHTTP_ACCESS_TYPE_NAMED_PROXY) {
      *list = Narrow(info.lpszProxy);
      *bypass = Narrow(info.lpszProxyBypass);
    }
    if (info.lpszProxy) GlobalFree(info.lpszProxy);
    if (info.lpszProxyBypass) GlobalFree(info.lpszProxyBypass);
  }
  WinHttpCloseHandle(session);
  return answered;
}

// Script answers are remembered per scheme and host: finding WPAD on a
// network without it takes seconds, and every transfer asks.
bool RememberedScriptProxy(const IeConfig& ie, const std::string& url, const std::string& key, std::string* list,
                           std::string* bypass) {
  struct Answer {
    bool answered;
    std::string list, bypass;
  };
  static std::mutex mutex;
  static std::map<std::string, Answer> known;
  {
    std::lock_guard<std::mutex> lock(mutex);
    const auto found = known.find(key);
    if (found != known.end()) {
      *list = found->second.list;
      *bypass = found->second.bypass;
      return found->second.answered;
    }
  }
  Answer answer{ScriptProxy(ie, url, list, bypass), *list, *bypass};
  std::lock_guard<std::mutex> lock(mutex);
  known[key] = answer;
  return answer.answered;
}

}  // namespace

std::string SystemProxyFor(const std::string& url) {
  const size_t colon = url.find("://");
  if (colon == std::string::npos) return "";
  const std::string scheme = url.substr(0, colon);
  if (scheme != "http" && scheme != "https") return "";
  const size_t start = colon + 3;
  size_t end = url.find_first_of("/?#", start);
  std::string host = url.substr(start, end == std::string::npos ? std::string::npos : end - start);
  const size_t at = host.rfind('@');
  if (at != std::string::npos) host.erase(0, at + 1);
  const size_t port = host.rfind(':');
  if (port != std::string::npos && host.find(']') == std::string::npos) host.erase(port);

  // The settings are read for every transfer (a registry read), so a
  // change the user makes applies to the next one.
  IeConfig ie;
  std::string list, bypass;
  // A script that cannot be had (no WPAD on the network) leaves the fixed
  // proxy, if any, as the browser does.
  const bool scripted = (ie.value.fAutoDetect || ie.value.lpszAutoConfigUrl) &&
                        RememberedScriptProxy(ie, url, scheme + "://" + host, &list, &bypass);
  if (!scripted) {
    list = Narrow(ie.value.lpszProxy);
    bypass = Narrow(ie.value.lpszProxyBypass);
  }
  if (list.empty() || BypassesProxy(bypass, host)) return "";
  return ProxyForScheme(list, scheme);
}
