// Certificates checked for real: a loopback HTTPS package server whose
// certificate a test authority signed. Linux only: the Windows test
// programs have no TLS package server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>

#include "download/curl_downloader.h"
#include "download/mt_curl_downloader.h"
#include "utils/proxy.h"
#include "download/win_downloader.h"
#include "support/notify_recorder.h"
#include "support/package_server.h"
#include "utils/utf8.h"

using quillon_test::NotifyRecorder;
using quillon_test::PackageServer;
using quillon_test::PatternBytes;
using quillon_test::ReadBytes;
using quillon_test::ScratchDir;

namespace {

// A test authority and two server certificates it signed: one for
// 127.0.0.1, one for another host name.
class TestAuthority {
 public:
  TestAuthority() {
    const std::string d = dir_.Path().u8string();
    std::ofstream(dir_ / "right.ext") << "subjectAltName=IP:127.0.0.1\n";
    std::ofstream(dir_ / "wrong.ext") << "subjectAltName=DNS:elsewhere.invalid\n";
    std::string script = "cd '" + d + "' && openssl req -x509 -newkey rsa:2048 -nodes -keyout ca.key -out ca.pem "
                         "-days 2 -subj '/CN=Quillon Test Authority' >/dev/null 2>&1";
    for (const char* name : {"right", "wrong"}) {
      const std::string n = name;
      script += " && openssl req -newkey rsa:2048 -nodes -keyout " + n + ".key -out " + n +
                ".csr -subj /CN=" + n + " >/dev/null 2>&1 && openssl x509 -req -in " + n +
                ".csr -CA ca.pem -CAkey ca.key -CAcreateserial -days 2 -extfile " + n + ".ext -out " + n +
                ".pem >/dev/null 2>&1";
    }
    ok_ = std::system(script.c_str()) == 0;
  }
  bool ok() const { return ok_; }
  std::string File(const std::string& name) const { return (dir_ / name).u8string(); }

 private:
  ScratchDir dir_;
  bool ok_ = false;
};

struct Outcome {
  int final = 0;
  bool fileWritten = false;
  bool whole = false;
};

// Runs downloader `type` (1, 2, 3) once on `url`; a 1005 is answered with
// Start, as the pipeline does.
Outcome RunDownload(int type, const std::string& url, const std::string& bytes) {
  ScratchDir out;
  const auto save = out / "package.exe";
  NotifyRecorder recorder;
  std::unique_ptr<CDownloader> downloader;
  recorder.onNotify = [&downloader](const quillon_test::Notification& n) {
    if (n.code == 1005) downloader->Start();
  };
  const std::wstring wideUrl = Utils::Utf8ToWide(url), widePath = quillon_test::WidePath(save);
  if (type == 1) {
    auto d = std::make_unique<CCurlDownloader>(std::ref(recorder), wideUrl, widePath);
    d->SetRetryPause(10);
    downloader = std::move(d);
  } else if (type == 3) {
    auto d = std::make_unique<CMTCurlDownloader>(std::ref(recorder), wideUrl, widePath);
    d->SetTimingForTesting(10, 5);
    downloader = std::move(d);
  } else {
    downloader = std::make_unique<CWinDownloader>(std::ref(recorder), wideUrl, widePath);
  }
  downloader->Start();
  Outcome outcome;
  if (!recorder.WaitFor({1003, 1004})) return outcome;
  outcome.final = recorder.All().back().code;
  downloader.reset();
  for (const auto& entry : std::filesystem::directory_iterator(out.Path())) {
    outcome.fileWritten |= std::filesystem::file_size(entry.path()) > 0;
  }
  outcome.whole = ReadBytes(save) == bytes;
  return outcome;
}

class TlsTest : public ::testing::Test {
 protected:
  void TearDown() override { SetTrustedAuthoritiesForTesting(""); }
  TestAuthority authority_;
};

}  // namespace

TEST_F(TlsTest, OnlyACertificateOfATrustedAuthorityForTheHostIsAccepted) {
  ASSERT_TRUE(authority_.ok()) << "openssl could not make the test certificates";
  const std::string bytes = PatternBytes(2 * 1048576);
  for (const char* cert : {"right", "wrong"}) {
    PackageServer server("package.exe", bytes,
                         {"--tls-cert", authority_.File(std::string(cert) + ".pem"), "--tls-key",
                          authority_.File(std::string(cert) + ".key")});
    ASSERT_TRUE(server.ready()) << cert;
    const std::string url = "https://127.0.0.1:" + std::to_string(server.port()) + "/software/381";
    for (int type : {1, 3, 2}) {
      for (bool trusted : {true, false}) {
        SetTrustedAuthoritiesForTesting(trusted ? authority_.File("ca.pem") : "");
        const Outcome o = RunDownload(type, url, bytes);
        const bool accept = trusted && std::string(cert) == "right";
        EXPECT_EQ(o.final, accept ? 1003 : 1004) << "type " << type << ", " << cert << ", trusted " << trusted;
        if (accept) {
          EXPECT_TRUE(o.whole) << "type " << type;
        } else {
          EXPECT_FALSE(o.fileWritten) << "type " << type << ": not a byte from an unverified server";
        }
      }
    }
    if (std::string(cert) == "right") {
      EXPECT_GE(server.Requests("GET").size(), 3u) << "the trusted passes fetched the package";
    } else {
      EXPECT_TRUE(server.Requests("GET").empty()) << "no body request to a server of another name";
    }
  }
}
