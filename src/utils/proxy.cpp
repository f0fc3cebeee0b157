#include "utils/proxy.h"

#include <cctype>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "utils/log.h"
#include "utils/utf8.h"

namespace {

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

std::vector<std::string> Tokens(const std::string& list) {
  std::vector<std::string> out;
  std::string current;
  for (char c : list) {
    if (c == ';' || c == ' ' || c == '\t' || c == ',') {
      if (!current.empty()) out.push_back(current);
      current.clear();
    } else {
      current += c;
    }
  }
  if (!current.empty()) out.push_back(current);
  return out;
}

// '*' stands for any run of characters. Only the last star met is ever
// tried again with a longer run: whatever an earlier star could take, the
// later one can take as well. So the time stays within the product of the
// two lengths and the stack flat, where going back to every star grew
// exponentially with the stars (a bypass list of "*a*a*a..." held the
// transfer for ever).
bool Matches(const char* pattern, const char* text) {
  const char* star = nullptr;  // just after the last star met
  const char* resume = nullptr;  // where that star's run ends so far
  while (*text) {
    if (*pattern == '*') {
      star = ++pattern;
      resume = text;
    } else if (*pattern && *pattern == *text) {
      ++pattern;
      ++text;
    } else if (star) {
      pattern = star;
      text = ++resume;
    } else {
      return false;
    }
  }
  while (*pattern == '*') ++pattern;
  return *pattern == '\0';
}

std::mutex g_authoritiesMutex;
std::string g_authorities;  // guarded by g_authoritiesMutex

// libcurl's own proxy variables, which it reads at every transfer.
bool EnvironmentNamesProxy(const std::string& url) {
  const std::string scheme = Lower(url.substr(0, url.find("://")));
  std::string upper = scheme;
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  for (const std::string& name : {scheme + "_proxy", upper + "_PROXY", std::string("all_proxy"),
                                  std::string("ALL_PROXY")}) {
    const char* value = std::getenv(name.c_str());
    if (value && *value) return true;
  }
  return false;
}

bool IsProxyFailure(CURLcode code) {
  return code == CURLE_COULDNT_RESOLVE_PROXY || code == CURLE_COULDNT_CONNECT || code == CURLE_PROXY;
}

}  // namespace

std::string ProxyForScheme(const std::string& list, const std::string& scheme) {
  std::string generic, specific;
  for (const std::string& token : Tokens(list)) {
    const size_t equals = token.find('=');
    if (equals == std::string::npos) {
      if (generic.empty()) generic = token;
    } else if (Lower(token.substr(0, equals)) == Lower(scheme) && specific.empty()) {
      specific = token.substr(equals + 1);
    }
  }
  std::string proxy = specific.empty() ? generic : specific;
  if (proxy.empty()) return "";
  if (proxy.find("://") == std::string::npos) proxy = "http://" + proxy;
  return proxy;
}

bool BypassesProxy(const std::string& bypass, const std::string& host) {
  const std::string h = Lower(host);
  for (const std::string& token : Tokens(bypass)) {
    const std::string pattern = Lower(token);
    if (pattern == "<local>") {
      if (h.find('.') == std::string::npos) return true;
    } else if (Matches(pattern.c_str(), h.c_str())) {
      return true;
    }
  }
  return false;
}

void SetTrustedAuthoritiesForTesting(const std::string& pemPath) {
  std::lock_guard<std::mutex> lock(g_authoritiesMutex);
  g_authorities = pemPath;
}

CURLcode PerformThroughProxy(CURL* handle, const std::string& url) {
  {
    std::lock_guard<std::mutex> lock(g_authoritiesMutex);
    if (!g_authorities.empty()) curl_easy_setopt(handle, CURLOPT_CAINFO, g_authorities.c_str());
  }
  const std::string proxy = SystemProxyFor(url);
  if (!proxy.empty()) curl_easy_setopt(handle, CURLOPT_PROXY, proxy.c_str());
  CURLcode code = curl_easy_perform(handle);
  if ((!proxy.empty() || EnvironmentNamesProxy(url)) && IsProxyFailure(code)) {
    UTILS_LOG(L"proxy %s failed (%d), connecting directly", Utils::Utf8ToWide(proxy).c_str(), static_cast<int>(code));
    curl_easy_setopt(handle, CURLOPT_PROXY, "");
    code = curl_easy_perform(handle);
  }
  return code;
}
