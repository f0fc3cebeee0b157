// pkgserver: a loopback package server for tests, benchmarks and the demo.
//
// Serves one file the way the package host does (a short address that
// redirects to "/<md5>/<file name>", HEAD, single byte ranges) and injects
// the faults the download engine must survive. See README.md, "tools/pkgserver".
#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "utils/md5.h"

namespace {

struct Options {
  std::string file;
  int port = 0;
  std::string portFile;
  double timeLimit = 600;
  std::string md5Mode = "lower";  // lower | upper | wrong | missing
  int status = 0;                 // every request answers this
  int getStatus = 0;              // body requests of the file answer this
  long long dropAfter = -1;       // close the connection after this many body bytes
  bool dropOnce = false;
  long long stallAfter = -1;      // stop sending after this many body bytes
  bool stallOnce = false;
  double rate = 0;                // bytes per second per response
  bool ignoreRange = false;
  bool noLength = false;
  bool redirectLoop = false;
  std::string changeTo;           // a second file served after --change-after GETs
  int changeAfter = 1;
  std::string htmlType;           // GETs of the file answer an HTML page with 200 and this type
  std::string tlsCert, tlsKey;    // serve HTTPS with this certificate chain and key
};

const char kUsage[] =
    "usage: pkgserver --file PATH [--port N] [--port-file FILE] [--time-limit SECONDS]\n"
    "                 [--md5 lower|upper|wrong|missing] [--status CODE] [--get-status CODE]\n"
    "                 [--drop-after BYTES [--drop-once]] [--stall-after BYTES [--stall-once]]\n"
    "                 [--rate BYTES_PER_SECOND] [--ignore-range] [--no-length] [--redirect-loop]\n"
    "                 [--change-to PATH [--change-after GETS]] [--html [--html-type TYPE]]\n"
    "                 [--tls-cert PEM --tls-key PEM]\n";

[[noreturn]] void Usage(const char* problem) {
  std::fprintf(stderr, "pkgserver: %s\n%s", problem, kUsage);
  std::exit(2);
}

bool ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) Usage(("missing value after " + a).c_str());
      return argv[++i];
    };
    auto number = [&]() -> double {
      const std::string v = value();
      char* end = nullptr;
      const double d = std::strtod(v.c_str(), &end);
      if (v.empty() || *end) Usage(("not a number: " + v).c_str());
      return d;
    };
    if (a == "--file") o->file = value();
    else if (a == "--port") o->port = static_cast<int>(number());
    else if (a == "--port-file") o->portFile = value();
    else if (a == "--time-limit") o->timeLimit = number();
    else if (a == "--md5") o->md5Mode = value();
    else if (a == "--status") o->status = static_cast<int>(number());
    else if (a == "--get-status") o->getStatus = static_cast<int>(number());
    else if (a == "--drop-after") o->dropAfter = static_cast<long long>(number());
    else if (a == "--drop-once") o->dropOnce = true;
    else if (a == "--stall-after") o->stallAfter = static_cast<long long>(number());
    else if (a == "--stall-once") o->stallOnce = true;
    else if (a == "--rate") o->rate = number();
    else if (a == "--ignore-range") o->ignoreRange = true;
    else if (a == "--no-length") o->noLength = true;
    else if (a == "--redirect-loop") o->redirectLoop = true;
    else if (a == "--change-to") o->changeTo = value();
    else if (a == "--change-after") o->changeAfter = static_cast<int>(number());
    else if (a == "--html") o->htmlType = o->htmlType.empty() ? "text/html; charset=utf-8" : o->htmlType;
    else if (a == "--html-type") o->htmlType = value();
    else if (a == "--tls-cert") o->tlsCert = value();
    else if (a == "--tls-key") o->tlsKey = value();
    else if (a == "--help") {
      std::fputs(kUsage, stdout);
      std::exit(0);
    } else {
      Usage(("unknown flag " + a).c_str());
    }
  }
  if (o->file.empty()) Usage("--file is required");
  if (o->tlsCert.empty() != o->tlsKey.empty()) Usage("--tls-cert and --tls-key go together");
  if (o->md5Mode != "lower" && o->md5Mode != "upper" && o->md5Mode != "wrong" && o->md5Mode != "missing")
    Usage("--md5 takes lower, upper, wrong or missing");
  return true;
}

std::string BaseName(const std::string& path) {
  const auto at = path.find_last_of("/\\");
  return at == std::string::npos ? path : path.substr(at + 1);
}

std::string Upper(std::string s) {
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

long long FileSize(const std::string& path) {
  std::ifstream f(path, std::ios::binary | std::ios::ate);
  return f ? static_cast<long long>(f.tellg()) : -1;
}

// Lines go to stdout whole, one request each, for tests to read back.
std::mutex g_outputMutex;
void Say(const std::string& line) {
  std::lock_guard<std::mutex> lock(g_outputMutex);
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

// One content the server can serve: the file, its digest and its
// validators (an ETag from the digest, a Last-Modified per version).
struct Version {
  std::string path;
  std::string md5;
  long long size = -1;
  std::string etag;
  std::string lastModified;
};

class PackageServer {
 public:
  PackageServer(const Options& o, std::vector<Version> versions)
      : o_(o), name_(BaseName(o.file)), versions_(std::move(versions)) {}

  const Version& Current() const { return versions_[current_.load()]; }

  std::string FinalPath() const {
    if (o_.md5Mode == "missing") return "/" + name_;
    std::string segment = Current().md5;
    if (o_.md5Mode == "upper") segment = Upper(segment);
    if (o_.md5Mode == "wrong") segment = "0123456789abcdef0123456789abcdef";
    return "/" + segment + "/" + name_;
  }

  void Install(httplib::Server* server) {
    server->Get(R"(/software/.*)", [this](const httplib::Request& req, httplib::Response& res) {
      Log(req);
      if (o_.status) return Fail(res, o_.status);
      res.set_redirect(o_.redirectLoop ? req.path : FinalPath(), 302);
    });
    server->Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
      const bool head = req.method == "HEAD";
      // A GET that arrives after --change-after earlier ones sees the
      // second file, with its own digest and validators.
      if (!head && versions_.size() > 1 && gets_.fetch_add(1) >= o_.changeAfter) current_.store(1);
      Log(req);
      if (o_.status) return Fail(res, o_.status);
      // Any digest segment: a client that learnt the address before the
      // file changed still reaches it.
      if (req.path != "/" + name_ && !EndsWith(req.path, "/" + name_)) return Fail(res, 404);
      if (!head && o_.getStatus) return Fail(res, o_.getStatus);
      if (!head && !o_.htmlType.empty()) {
        res.status = 200;
        res.set_content("<!DOCTYPE html>\n<html><head><title>Service unavailable</title></head>"
                        "<body><h1>Please try again later</h1></body></html>\n", o_.htmlType.c_str());
        return;
      }
      const Version& v = Current();
      res.set_header("ETag", v.etag);
      res.set_header("Last-Modified", v.lastModified);
      auto& request = const_cast<httplib::Request&>(req);  // the server's own object
      // If-Range: the range only when the validator still names this
      // content, else the whole file with 200.
      if (req.has_header("If-Range")) {
        const std::string validator = req.get_header_value("If-Range");
        if (validator != v.etag && validator != v.lastModified) request.ranges.clear();
      }
      // A server that ignores Range (or cannot say how long the file is)
      // answers 200 with the whole file.
      if (o_.ignoreRange || o_.noLength) request.ranges.clear();
      Serve(head, v, res);
    });
  }

 private:
  struct Transfer {
    std::ifstream file;
    std::vector<char> buffer;
    long long position = 0;  // of the file's read position
    long long sent = 0;
    bool drops = false;
    bool stalls = false;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
  };

  static bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
  }

  void Log(const httplib::Request& req) {
    const std::string range = req.has_header("Range") ? req.get_header_value("Range") : "-";
    const std::string ifRange = req.has_header("If-Range") ? req.get_header_value("If-Range") : "-";
    // The path as decoded, then the request target exactly as it arrived.
    Say("request\t" + req.method + "\t" + req.path + "\t" + range + "\t" + req.target + "\t" + ifRange);
  }

  static void Fail(httplib::Response& res, int status) {
    res.status = status;
    res.set_content("", "text/plain");
  }

  void Serve(bool head, const Version& v, httplib::Response& res) {
    auto t = std::make_shared<Transfer>();
    if (!head) {
      t->file.open(v.path, std::ios::binary);
      if (!t->file) return Fail(res, 500);
      t->drops = o_.dropAfter >= 0 && !(o_.dropOnce && dropped_.exchange(true));
      t->stalls = o_.stallAfter >= 0 && !(o_.stallOnce && stalled_.exchange(true));
    }
    const long long size = v.size;
    auto provide = [this, t](size_t offset, size_t length, httplib::DataSink& sink) {
      return Provide(*t, offset, length, sink);
    };
    if (o_.noLength) {
      res.set_chunked_content_provider("application/octet-stream",
          [this, t, size](size_t offset, httplib::DataSink& sink) {
            const size_t left = static_cast<size_t>(size) - offset;
            if (left == 0) {
              sink.done();
              return true;
            }
            return Provide(*t, offset, left, sink);
          });
    } else {
      res.set_content_provider(static_cast<size_t>(size), "application/octet-stream", provide);
    }
  }

  bool Provide(Transfer& t, size_t offset, size_t length, httplib::DataSink& sink) {
    size_t chunk = 256 * 1024;
    if (o_.rate > 0) chunk = std::max<size_t>(1024, std::min<size_t>(chunk, static_cast<size_t>(o_.rate / 20)));
    size_t n = std::min(chunk, length);
    if (t.drops && t.sent + static_cast<long long>(n) > o_.dropAfter) {
      n = static_cast<size_t>(o_.dropAfter - t.sent);
      if (n == 0) return false;  // closes the connection mid-body
    }
    if (t.stalls && t.sent + static_cast<long long>(n) > o_.stallAfter) {
      n = static_cast<size_t>(o_.stallAfter - t.sent);
      if (n == 0) {
        while (!stopping_.load()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return false;
      }
    }
    // One buffer per response, read straight into: the server's own work
    // per byte stays small beside the client's it is measured with.
    if (t.buffer.size() < n) t.buffer.resize(n);
    if (t.position != static_cast<long long>(offset)) t.file.seekg(static_cast<std::streamoff>(offset));
    if (!t.file.read(t.buffer.data(), static_cast<std::streamsize>(n))) return false;
    t.position = static_cast<long long>(offset + n);
    if (!sink.write(t.buffer.data(), n)) return false;
    t.sent += static_cast<long long>(n);
    if (o_.rate > 0) {
      const auto due = t.started + std::chrono::duration<double>(static_cast<double>(t.sent) / o_.rate);
      std::this_thread::sleep_until(std::chrono::time_point_cast<std::chrono::steady_clock::duration>(due));
    }
    return true;
  }

 public:
  std::atomic<bool> stopping_{false};

 private:
  const Options& o_;
  const std::string name_;
  const std::vector<Version> versions_;
  std::atomic<size_t> current_{0};
  std::atomic<int> gets_{0};
  std::atomic<bool> dropped_{false};
  std::atomic<bool> stalled_{false};
};

}  // namespace

int main(int argc, char** argv) {
  Options o;
  ParseOptions(argc, argv, &o);
  std::vector<Version> versions;
  for (const std::string& path : {o.file, o.changeTo}) {
    if (path.empty()) continue;
    Version v;
    v.path = path;
    v.md5 = Utils::FileMd5Hex(path);
    v.size = FileSize(path);
    if (v.md5.empty()) Usage(("cannot read " + path).c_str());
    v.etag = "\"" + v.md5 + "\"";
    v.lastModified = versions.empty() ? "Mon, 01 Jun 2026 08:00:00 GMT" : "Tue, 02 Jun 2026 08:00:00 GMT";
    versions.push_back(v);
  }
  PackageServer package(o, versions);
  std::unique_ptr<httplib::Server> served;
  if (!o.tlsCert.empty()) {
#ifdef CPPHTTPLIB_OPENSSL_SUPPORT
    auto tls = std::make_unique<httplib::SSLServer>(o.tlsCert.c_str(), o.tlsKey.c_str());
    if (!tls->is_valid()) Usage("cannot use the TLS certificate or key");
    served = std::move(tls);
#else
    Usage("this build serves no TLS");
#endif
  } else {
    served = std::make_unique<httplib::Server>();
  }
  httplib::Server& server = *served;
  package.Install(&server);
  const int port = o.port ? (server.bind_to_port("127.0.0.1", o.port) ? o.port : -1)
                          : server.bind_to_any_port("127.0.0.1");
  if (port <= 0) {
    std::fprintf(stderr, "pkgserver: cannot listen on 127.0.0.1:%d\n", o.port);
    return 1;
  }
  if (!o.portFile.empty()) {
    const std::string tmp = o.portFile + ".tmp";
    if (FILE* f = std::fopen(tmp.c_str(), "w")) {
      std::fprintf(f, "%d\n", port);
      std::fclose(f);
      std::rename(tmp.c_str(), o.portFile.c_str());
    }
  }
  Say("port\t" + std::to_string(port));
  Say("file\t" + package.FinalPath() + "\t" + std::to_string(versions[0].size) + "\t" + versions[0].md5);

  std::thread watchdog([&] {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(o.timeLimit);
    while (!package.stopping_.load() && std::chrono::steady_clock::now() < end)
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    package.stopping_ = true;
    server.stop();
  });
  server.listen_after_bind();
  package.stopping_ = true;
  watchdog.join();
  return 0;
}
