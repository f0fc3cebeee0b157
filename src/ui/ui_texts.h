// The texts the installer's code shows itself, by their id in the language
// table ("language.json"). The layouts name theirs with "%{n}" tokens; the
// code looks these up when it shows them, so every one follows the
// language in force at that moment.
#pragma once

#include <string>
#include <vector>

namespace UiTexts {

enum Id : int {
  kPromptCaption = 30,      // caption of the installer's own prompts
  kMessageCaption = 31,     // caption of a message the package sends
  kProductRunning = 101,    // Quillon or its old uninstaller runs
  kInvalidFolder = 102,     // the install folder cannot be created
  kPoorNetwork = 103,       // the network check's verdict
  kLowDiskSpace = 104,      // less than 1 GiB free
  kInstallFailed = 105,     // the package failed without saying why
  kBrowseFolderTitle = 106, // the folder browser's title
  kNoDisplay = 108,         // Linux: no X display for the window
  kPackageFailed = 109,     // the package ended without reporting success
  kProgressWait = 110,      // progress, a format with one %d
  kProgressPatient = 111,   // progress after a minute of download
  // A package refused by the publisher check, by the check's verdict.
  kRefusedUnsigned = 112,
  kRefusedInvalidSignature = 113,
  kRefusedPublisherMismatch = 114,
  kRefusedExpired = 115,
  kRefusedDigestMismatch = 116,
  kRefusedUnreadable = 117,
  // What a screen reader calls the image-only title buttons (the layouts'
  // tooltips; the toolkit's own fallback by button name, see
  // SkinUI::kTitleButtonTexts).
  kCloseButton = 118,
  kMinimizeButton = 119,
  kMaximizeButton = 120,
  kRestoreButton = 121,
};

// Every id the code looks up, in the order above.
const std::vector<int>& CodeIds();

// The text of `id` in the language loaded into the toolkit's table; the
// built-in English when the table holds none (or an empty one) for it.
std::string Text(int id);

// The built-in English of `id`; empty for an id the code does not use.
std::string BuiltInEnglish(int id);

// A prompt text the pipeline reports, for the user: the installer's own
// Chinese report texts (kept as they are for analytics) become their
// localised form, anything else (the package's own words) stays.
std::string ShownReportText(const std::wstring& reported);

}  // namespace UiTexts
