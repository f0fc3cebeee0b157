// proxy: a loopback forward HTTP proxy for tests. Forwards GET, HEAD and
// POST requests in absolute form ("GET http://host:port/path") to their
// server (through libcurl) and answers with what came back, and prints one
// line per forwarded request so that a test can count them. See README.md,
// "tools/proxy".
#include <curl/curl.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>

namespace {

const char kUsage[] = "usage: proxy [--port N] [--port-file FILE] [--time-limit SECONDS]\n";

std::mutex g_outputMutex;
void Say(const std::string& line) {
  std::lock_guard<std::mutex> lock(g_outputMutex);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// "http://host[:port]/path" into its parts; false for anything else.
bool SplitUrl(const std::string& url, std::string* host, int* port, std::string* path) {
  const std::string scheme = "http://";
  if (url.compare(0, scheme.size(), scheme) != 0) return false;
  const size_t slash = url.find('/', scheme.size());
  const std::string authority = url.substr(scheme.size(), slash == std::string::npos ? std::string::npos : slash - scheme.size());
  *path = slash == std::string::npos ? "/" : url.substr(slash);
  const size_t colon = authority.rfind(':');
  *host = colon == std::string::npos ? authority : authority.substr(0, colon);
  *port = colon == std::string::npos ? 80 : std::atoi(authority.c_str() + colon + 1);
  return !host->empty() && *port > 0;
}

bool IsHopByHop(const std::string& name) {
  std::string n;
  for (char c : name) n += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return n == "content-length" || n == "transfer-encoding" || n == "connection" || n == "keep-alive" ||
         n == "proxy-connection" || n == "content-type";
}

size_t Collect(char* data, size_t size, size_t count, void* text) {
  static_cast<std::string*>(text)->append(data, size * count);
  return size * count;
}

void Forward(const httplib::Request& req, httplib::Response& res) {
  std::string host, path;
  int port = 0;
  if (!SplitUrl(req.target, &host, &port, &path)) {
    Say("refused\t" + req.method + "\t" + req.target);
    res.status = 400;
    return;
  }
  Say("forwarded\t" + req.method + "\t" + req.target);
  const bool head = req.method == "HEAD";
  const bool post = req.method == "POST";
  CURL* handle = curl_easy_init();
  if (!handle) {
    res.status = 502;
    return;
  }
  curl_slist* headers = nullptr;
  for (const char* name : {"Range", "If-Range", "Accept-Encoding", "User-Agent", "Content-Type", "Content-Encoding"}) {
    if (req.has_header(name)) headers = curl_slist_append(headers, (std::string(name) + ": " + req.get_header_value(name)).c_str());
  }
  std::string head_text, body;
  curl_easy_setopt(handle, CURLOPT_URL, req.target.c_str());
  curl_easy_setopt(handle, CURLOPT_PROXY, "");  // never through ourselves
  curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers);
  curl_easy_setopt(handle, CURLOPT_NOBODY, head ? 1L : 0L);
  if (post) {
    curl_easy_setopt(handle, CURLOPT_POST, 1L);
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, req.body.data());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(req.body.size()));
  }
  curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, Collect);
  curl_easy_setopt(handle, CURLOPT_HEADERDATA, &head_text);
  curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(handle, CURLOPT_WRITEDATA, &body);
  const CURLcode code = curl_easy_perform(handle);
  long status = 0;
  curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
  curl_easy_cleanup(handle);
  curl_slist_free_all(headers);
  if (code != CURLE_OK || status == 0) {
    res.status = 502;
    return;
  }
  res.status = static_cast<int>(status);
  std::string type = "application/octet-stream";
  long long length = -1;
  size_t at = 0;
  while (at < head_text.size()) {
    size_t end = head_text.find('\n', at);
    if (end == std::string::npos) end = head_text.size();
    std::string line = head_text.substr(at, end - at);
    at = end + 1;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
    const size_t colon = line.find(':');
    if (colon == std::string::npos || line.compare(0, 5, "HTTP/") == 0) continue;
    const std::string name = line.substr(0, colon);
    std::string value = line.substr(colon + 1);
    while (!value.empty() && value.front() == ' ') value.erase(0, 1);
    std::string lower;
    for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower == "content-type") type = value;
    if (lower == "content-length") length = std::atoll(value.c_str());
    if (!IsHopByHop(name)) res.set_header(name, value);
  }
  // The answer is already the range asked for; the server here must not
  // cut it again.
  const_cast<httplib::Request&>(req).ranges.clear();
  if (head) {
    if (length >= 0) {
      res.set_content_provider(static_cast<size_t>(length), type, [](size_t, size_t, httplib::DataSink&) { return false; });
    }
  } else {
    res.set_content(body, type);
  }
}

}  // namespace

int main(int argc, char** argv) {
  int port = 0;
  std::string portFile;
  double timeLimit = 600;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--help") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (i + 1 >= argc) {
      std::fprintf(stderr, "proxy: missing value after %s\n%s", a.c_str(), kUsage);
      return 2;
    }
    const std::string v = argv[++i];
    if (a == "--port") port = std::atoi(v.c_str());
    else if (a == "--port-file") portFile = v;
    else if (a == "--time-limit") timeLimit = std::atof(v.c_str());
    else {
      std::fprintf(stderr, "proxy: unknown flag %s\n%s", a.c_str(), kUsage);
      return 2;
    }
  }
  curl_global_init(CURL_GLOBAL_ALL);
  httplib::Server server;
  server.Get(".*", Forward);
  server.Post(".*", Forward);
  const int bound = port ? (server.bind_to_port("127.0.0.1", port) ? port : -1) : server.bind_to_any_port("127.0.0.1");
  if (bound <= 0) {
    std::fprintf(stderr, "proxy: cannot listen on 127.0.0.1:%d\n", port);
    return 1;
  }
  if (!portFile.empty()) {
    const std::string tmp = portFile + ".tmp";
    if (FILE* f = std::fopen(tmp.c_str(), "w")) {
      std::fprintf(f, "%d\n", bound);
      std::fclose(f);
      std::rename(tmp.c_str(), portFile.c_str());
    }
  }
  Say("port\t" + std::to_string(bound));
  std::atomic<bool> stopping{false};
  std::thread watchdog([&] {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeLimit);
    while (!stopping.load() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    server.stop();
  });
  server.listen_after_bind();
  stopping = true;
  watchdog.join();
  return 0;
}
