// The file names of the product this installer installs: the one place
// they are written, for every part that starts, looks for, copies or
// removes them.
#pragma once

namespace Install {

// The installed application's executable (and its process name).
inline constexpr wchar_t kProductExe[] = L"velmotranslate.exe";
// The copy of the old version's uninstaller that removes it (and the
// process name the installer waits on).
inline constexpr wchar_t kUninstallerCopyName[] = L"velmotranslate_un_asa.exe";
// The downloaded package, directly inside the install folder.
inline constexpr wchar_t kPackageFileName[] = L"__Package_velmotranslate.exe";

}  // namespace Install
