#include "ui/ui_texts.h"

#include <optional>

#include "uikit/text_table.h"
#include "utils/utf8.h"

namespace UiTexts {
namespace {

struct BuiltIn {
  int id;
  const char* english;
};

// Shown only when the language table cannot be read: the package always
// carries one, and its English column says the same.
const BuiltIn kBuiltIn[] = {
    {kPromptCaption, "Quillon Setup"},
    {kMessageCaption, "Message"},
    {kProductRunning, "Quillon is running.\r\nPlease quit Quillon and try again."},
    {kInvalidFolder, "This folder cannot be used. Please choose another folder."},
    {kPoorNetwork, "Your network connection is poor. Please try again when it is stable."},
    {kLowDiskSpace, "Not enough free space. Quillon needs at least 1 GB. Please choose another folder."},
    {kInstallFailed, "Installation failed."},
    {kBrowseFolderTitle, "Choose a folder"},
    {kNoDisplay, "Quillon Setup needs a display. Use -silent=true to install without a window."},
    {kPackageFailed, "The installation package could not be installed."},
    {kProgressWait, "Installing: %d%%. Please wait..."},
    {kProgressPatient, "Installing: %d%%. This may take a few minutes..."},
    {kRefusedUnsigned, "The installation package is not signed, so it was not started."},
    {kRefusedInvalidSignature, "The installation package's signature is not valid, so it was not started."},
    {kRefusedPublisherMismatch, "The installation package is not from Quillon's publisher, so it was not started."},
    {kRefusedExpired, "The installation package's certificate had expired, so it was not started."},
    {kRefusedDigestMismatch, "The installation package was changed after it was signed, so it was not started."},
    {kRefusedUnreadable, "The installation package could not be read, so it was not started."},
    {kCloseButton, "Close"},
    {kMinimizeButton, "Minimize"},
    {kMaximizeButton, "Maximize"},
    {kRestoreButton, "Restore"},
};

// The status stream's own words for a package that ended without success
// (install/status_stream.cpp): analytics keeps receiving them as they are.
const wchar_t kPackageFailReport[] = L"\u5b89\u88c5\u5305\u5b89\u88c5\u5931\u8d25";  // 安装包安装失败

}  // namespace

const std::vector<int>& CodeIds() {
  static const std::vector<int> ids = [] {
    std::vector<int> out;
    for (const BuiltIn& b : kBuiltIn) out.push_back(b.id);
    return out;
  }();
  return ids;
}

std::string BuiltInEnglish(int id) {
  for (const BuiltIn& b : kBuiltIn)
    if (b.id == id) return b.english;
  return std::string();
}

std::string Text(int id) {
  const std::optional<std::string> localised = SkinUI::LocalText(id);
  if (localised && !localised->empty()) return *localised;
  return BuiltInEnglish(id);
}

std::string ShownReportText(const std::wstring& reported) {
  if (reported.empty()) return Text(kInstallFailed);
  if (reported == kPackageFailReport) return Text(kPackageFailed);
  return Utils::WideToUtf8(reported);
}

}  // namespace UiTexts
