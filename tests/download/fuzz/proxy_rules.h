// What the proxy list rules promise for any list and host, checked by the
// fuzz target and by the suite's replay of corpus/proxy. An input is the
// list (or bypass list) on its first line and the host (or scheme) after
// it. Returns the first promise broken, empty when all hold.
#pragma once

#include <string>

#include "utils/proxy.h"

namespace quillon_fuzz {

inline std::string CheckProxyInput(const std::string& input) {
  const size_t lf = input.find('\n');
  const std::string list = input.substr(0, lf);
  const std::string rest = lf == std::string::npos ? std::string() : input.substr(lf + 1);

  for (const std::string& scheme : {std::string("http"), std::string("https"), rest}) {
    const std::string proxy = ProxyForScheme(list, scheme);
    if (!proxy.empty() && proxy.find("://") == std::string::npos) return "a proxy without a scheme";
  }
  BypassesProxy(list, rest);
  if (!rest.empty() && !BypassesProxy("*", rest)) return "\"*\" does not bypass every host";
  // A host named in the list by itself is bypassed, whatever else the list holds.
  if (!rest.empty() && rest.find_first_of("; \t,") == std::string::npos && !BypassesProxy(list + ";" + rest, rest))
    return "a host named in the list is not bypassed";
  return "";
}

}  // namespace quillon_fuzz
