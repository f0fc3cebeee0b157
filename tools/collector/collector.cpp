// A loopback analytics collector for tests and for watching what the
// installer sends. It accepts the SDK's form posts on 127.0.0.1, decodes
// every batch, checks each record's shape and prints each accepted record
// as one JSON line on standard output. Usage: see README.md, "tools/collector".
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "form_decoding.h"
#include "record_shape.h"

namespace {

struct Options {
  int port = 0;
  std::string portFile;
  int status = 200;
  bool hang = false;
  bool close = false;
  int timeLimitSeconds = 60;
};

const char kUsage[] =
    "usage: collector [--port N] [--port-file PATH] [--status CODE] [--hang] [--close]\n"
    "                 [--time-limit SECONDS]\n";

bool ParseOptions(int argc, char** argv, Options* o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&](std::string* value) {
      if (i + 1 >= argc) return false;
      *value = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--port" && next(&v)) {
      o->port = std::atoi(v.c_str());
    } else if (a == "--port-file" && next(&v)) {
      o->portFile = v;
    } else if (a == "--status" && next(&v)) {
      o->status = std::atoi(v.c_str());
    } else if (a == "--time-limit" && next(&v)) {
      o->timeLimitSeconds = std::atoi(v.c_str());
    } else if (a == "--hang") {
      o->hang = true;
    } else if (a == "--close") {
      o->close = true;
    } else {
      return false;
    }
  }
  return o->port >= 0 && o->port <= 65535 && o->status >= 100 && o->status <= 999 &&
         o->timeLimitSeconds > 0;
}

std::mutex g_outputLock;

void PrintLine(FILE* stream, const std::string& line) {
  std::lock_guard<std::mutex> lock(g_outputLock);
  std::fwrite(line.data(), 1, line.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

// Released at the time limit, so that hanging handlers let the server stop.
std::mutex g_stopLock;
std::condition_variable g_stopped;
bool g_stopping = false;

void WaitForStop() {
  std::unique_lock<std::mutex> lock(g_stopLock);
  g_stopped.wait(lock, [] { return g_stopping; });
}

// Decodes and checks one post; on success fills the record texts.
bool Accept(const std::string& body, std::vector<std::string>* records, std::string* error) {
  std::string batch;
  if (!collector::DecodeFormBody(body, &batch, error)) return false;
  if (!collector::SplitBatch(batch, records, error)) return false;
  for (size_t i = 0; i < records->size(); ++i) {
    if (!collector::CheckRecord((*records)[i], error)) {
      *error = "record " + std::to_string(i) + ": " + *error;
      return false;
    }
  }
  return true;
}

void Handle(const Options& options, const httplib::Request& request, httplib::Response& response) {
  if (options.hang) {
    WaitForStop();
    return;
  }
  if (options.close) {
    // Headers promise a body that never comes: the client sees the
    // connection drop in the middle of the answer.
    response.set_content_provider(
        64, "text/plain", [](size_t, size_t, httplib::DataSink&) { return false; });
    return;
  }
  std::vector<std::string> records;
  std::string error;
  if (!Accept(request.body, &records, &error)) {
    PrintLine(stderr, "collector: rejected a batch: " + error);
    response.status = 400;
    response.set_content(error, "text/plain");
    return;
  }
  response.status = options.status;
  if (options.status == 200) {
    for (const std::string& record : records) PrintLine(stdout, record);
    response.set_content("ok", "text/plain");
  } else {
    PrintLine(stderr, "collector: answered " + std::to_string(options.status) + " to a batch of " +
                          std::to_string(records.size()) + " records");
    if (options.status != 204) response.set_content("collector fault", "text/plain");
  }
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, &options)) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  httplib::Server server;
  server.Post(".*", [&](const httplib::Request& request, httplib::Response& response) {
    Handle(options, request, response);
  });
  int port = options.port;
  if (port == 0) {
    port = server.bind_to_any_port("127.0.0.1");
  } else if (!server.bind_to_port("127.0.0.1", port)) {
    port = -1;
  }
  if (port <= 0) {
    std::fprintf(stderr, "collector: cannot listen on 127.0.0.1:%d\n", options.port);
    return 1;
  }
  if (options.portFile.empty()) {
    PrintLine(stdout, "port " + std::to_string(port));
  } else {
    // Written whole under another name first, so a reader never sees half a number.
    const std::string temp = options.portFile + ".tmp";
    {
      std::ofstream out(temp, std::ios::trunc);
      out << port << '\n';
    }
    if (std::rename(temp.c_str(), options.portFile.c_str()) != 0) {
      std::fprintf(stderr, "collector: cannot write %s\n", options.portFile.c_str());
      return 1;
    }
  }
  std::thread listener([&] { server.listen_after_bind(); });
  {
    std::unique_lock<std::mutex> lock(g_stopLock);
    g_stopped.wait_for(lock, std::chrono::seconds(options.timeLimitSeconds),
                       [] { return g_stopping; });
    g_stopping = true;
  }
  g_stopped.notify_all();
  server.stop();
  listener.join();
  return 0;
}
