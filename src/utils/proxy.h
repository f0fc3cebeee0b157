// The user's proxy for libcurl transfers.
//
// libcurl reads the proxy environment variables (http_proxy, https_proxy,
// no_proxy, all_proxy) by itself, which is what Linux users set. On
// Windows the proxy lives in the user's Internet settings, which libcurl
// does not read: SystemProxyFor reads them (a fixed proxy with its bypass
// list, or an automatic configuration script, named or found by WPAD).
//
// Threads: any. On Windows the settings are read for every transfer; the
// answers of a configuration script are remembered per scheme and host for
// the life of the process.
#pragma once

#include <curl/curl.h>

#include <string>

// The proxy for `url` ("http://host:port"), or empty for a direct
// connection or when libcurl's own environment variables apply.
std::string SystemProxyFor(const std::string& url);

// curl_easy_perform through SystemProxyFor(url); when a proxy was named
// (there, or in libcurl's environment variables) and cannot be reached,
// the transfer is performed once more directly.
// Every transfer of the download engine is performed here.
CURLcode PerformThroughProxy(CURL* handle, const std::string& url);

// Tests only: the certificate authorities (a PEM file) that every transfer
// trusts instead of the system's; empty for the system's again.
void SetTrustedAuthoritiesForTesting(const std::string& pemPath);

// Pieces of the Windows settings, portable so that they can be tested:
// the entry of a proxy list ("host:port", or "http=host:port;https=...")
// for `scheme`, as a URL; and whether `host` matches the bypass list
// ("<local>", "*.example.com", "10.*" separated by ";" or spaces).
std::string ProxyForScheme(const std::string& list, const std::string& scheme);
bool BypassesProxy(const std::string& bypass, const std::string& host);
