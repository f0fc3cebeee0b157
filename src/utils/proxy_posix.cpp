#include "utils/proxy.h"

// libcurl applies the proxy environment variables itself.
std::string SystemProxyFor(const std::string&) { return ""; }
