// sign-check: the installer's publisher check on one file. See README.md,
// "tools/sign-check".
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "install/signature.h"
#include "utils/cmdline.h"
#include "utils/utf8.h"

namespace {

const char kUsage[] = "usage: sign-check PACKAGE [--key HEX[,HEX...]]\n";
constexpr int kExitUsage = 2;

const char* DigestWord(Install::SignatureReport::Digest digest) {
  switch (digest) {
    case Install::SignatureReport::Digest::kMatches: return "matches";
    case Install::SignatureReport::Digest::kDiffers: return "differs";
    case Install::SignatureReport::Digest::kNotChecked: break;
  }
  return "not checked";
}

}  // namespace

int main() {
  const std::vector<std::wstring> args = Utils::ProcessArguments();
  std::wstring package, keys;
  bool keyGiven = false;
  for (size_t i = 1; i < args.size(); ++i) {
    if (args[i] == L"--key" && i + 1 < args.size()) {
      keys = args[++i];
      keyGiven = true;
    } else if (package.empty() && !args[i].empty() && args[i][0] != L'-') {
      package = args[i];
    } else {
      std::fputs(kUsage, stderr);
      return kExitUsage;
    }
  }
  if (package.empty()) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  Install::HeldPackage held;
  Install::SignatureReport report;
  if (!held.Open(package)) {
    report.verdict = Install::SignatureVerdict::kUnreadable;
  } else {
    report = Install::CheckSignature(held.Data(), held.Size(), Install::ParsePinnedKeys(keys), Install::SecondsNow(),
                                     keyGiven);
  }
  std::printf("signer\t%s\n", report.signer.empty() ? "-" : report.signer.c_str());
  std::printf("key-sha256\t%s\n", report.keySha256Hex.empty() ? "-" : report.keySha256Hex.c_str());
  std::printf("signing-time\t%lld\t%s\n", static_cast<long long>(report.signingTime),
              report.timestamped ? "timestamp" : "now");
  std::printf("digest\t%s\n", DigestWord(report.digest));
  std::printf("verdict\t%s\t%s\n", Install::SignatureVerdictName(report.verdict),
              Utils::WideToUtf8(Install::SignatureVerdictText(report.verdict)).c_str());
  return report.verdict == Install::SignatureVerdict::kValid ? 0 : 1;
}
