#include "install/records.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cwctype>
#include <filesystem>
#include <string>

#include "app/installer_config.h"
#include "install_test_platform.h"
#include "support/scratch_dir.h"
#include "utils/files.h"
#include "utils/profile.h"

using namespace Install;
using quillon_test::ScratchDir;
namespace fs = std::filesystem;

namespace {

// Wide text to a path without the C locale's help (it may not know the
// characters).
fs::path PathOf(const std::wstring& text) { return fs::u8path(Utils::WideToUtf8(text)); }

// Every folder the records touch is steered into the scratch folder: the
// Linux XDG folders through the environment, APPDATA on both. The registry
// record is the real one under Wine (a private prefix) and is cleared
// before and after each test.
class RecordsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Steer("HOME", scratch_ / "home");
    Steer("XDG_CONFIG_HOME", scratch_ / "config");
    Steer("XDG_DATA_HOME", scratch_ / "data");
    Steer("APPDATA", scratch_ / "appdata");
    install_test::ClearRegistryRecord();
    savedLanguage_ = g_InstallerConfig.LanguageIndex;
  }
  void TearDown() override {
    install_test::ClearRegistryRecord();
    g_InstallerConfig.LanguageIndex = savedLanguage_;
    for (auto saved = saved_.rbegin(); saved != saved_.rend(); ++saved) install_test::SetEnvironment(saved->first.c_str(), saved->second.empty() ? nullptr : saved->second.c_str());
  }
  void Steer(const char* name, const fs::path& folder, bool create = true) {
    const char* old = getenv(name);
    saved_.emplace_back(name, old ? old : "");
    if (create) fs::create_directories(folder);
    install_test::SetEnvironment(name, folder.string().c_str());
  }
  std::wstring Folder(const std::wstring& name) {
    const fs::path p = scratch_.Path() / PathOf(name);
    fs::create_directories(p);
    return quillon_test::WidePath(p);
  }
  // The analytics folder as the records must name it.
  std::wstring ExpectedAnalyticsFolder() {
    const fs::path base = Utils::PathSeparator() == L'/' ? scratch_ / "data" : scratch_ / "appdata";
    return (base / "TarVixData" / "velmotranslate").wstring();
  }

  ScratchDir scratch_;
  std::vector<std::pair<std::string, std::string>> saved_;
  int savedLanguage_ = 0;
};

std::wstring Read(const std::wstring& section, const std::wstring& key, const std::wstring& path) {
  return Utils::ReadProfileString(section, key, L"<none>", path);
}

bool IsGuid(const std::wstring& text) {
  if (text.size() != 32) return false;
  for (wchar_t c : text) {
    if (!std::iswxdigit(c)) return false;
  }
  return true;
}

}  // namespace

TEST_F(RecordsTest, EmptyRecordGivesNothingAndTheSystemDefaultFolder) {
  const RegistryRecords records = ReadRegistryRecords();
  EXPECT_EQ(records.previousInstallPath, L"");
  EXPECT_EQ(records.oldUninstallerPath, L"");

  const FolderFacts facts = SystemFolderFacts();
  const DefaultFolder chosen = DefaultInstallFolder(L"", L"");
  EXPECT_EQ(chosen.adminAccount, facts.adminAccount);
  EXPECT_EQ(chosen.adminToken, facts.adminToken);
  EXPECT_EQ(chosen.folder, ChooseDefaultInstallFolder(L"", false, facts));
  if (Utils::PathSeparator() == L'/') {
    // The data home the test set stands in for APPDATA.
    EXPECT_EQ(facts.appData, (scratch_ / "data").wstring());
  }
  EXPECT_FALSE(facts.programFiles.empty());
}

TEST(DefaultFolderRule, FollowsRightsAndThePreviousInstallation) {
  FolderFacts f;
  f.hasAppData = true;
  f.appData = L"AD";
  f.programFilesX86 = L"PF86";
  f.programFiles = L"PF";
  const std::wstring sep(1, Utils::PathSeparator());
  const auto under = [&](const std::wstring& base) { return base + sep + L"velmotranslate"; };

  EXPECT_EQ(ChooseDefaultInstallFolder(L"", false, f), under(L"PF86"));
  f.adminAccount = true;
  EXPECT_EQ(ChooseDefaultInstallFolder(L"", false, f), under(L"PF86")) << "an administrator not elevated";
  f.adminToken = true;
  EXPECT_EQ(ChooseDefaultInstallFolder(L"", false, f), under(L"AD" + sep + L"tarvix"));
  f.hasAppData = false;
  EXPECT_EQ(ChooseDefaultInstallFolder(L"", false, f), under(L"PF86")) << "no APPDATA";
  f.programFilesX86.clear();
  EXPECT_EQ(ChooseDefaultInstallFolder(L"", false, f), under(L"PF")) << "a system without Program Files (x86)";
  // The previous folder only while its uninstaller is still there.
  EXPECT_EQ(ChooseDefaultInstallFolder(L"OLD", true, f), L"OLD");
  EXPECT_EQ(ChooseDefaultInstallFolder(L"OLD", false, f), under(L"PF"));
  EXPECT_EQ(ChooseDefaultInstallFolder(L"", true, f), under(L"PF"));
}

TEST_F(RecordsTest, InstallPathAloneNamesTheDefaultUninstaller) {
  const std::wstring folder = Folder(L"Old Version 旧");
  // No uninstaller file yet: only InstallPath is written.
  const std::wstring used = WriteRegistryRecords(folder, L"");
  EXPECT_EQ(used, JoinPath(folder, L"uninst.ep"));
  EXPECT_EQ(install_test::StoredValueBytes(kUnInstallEpValue), -1);

  RegistryRecords records = ReadRegistryRecords();
  EXPECT_EQ(records.previousInstallPath, folder);
  EXPECT_EQ(records.oldUninstallerPath, used);
  EXPECT_NE(DefaultInstallFolder(records.previousInstallPath, records.oldUninstallerPath).folder, folder);

  quillon_test::WriteBytes(PathOf(used), "old uninstaller");
  EXPECT_EQ(DefaultInstallFolder(records.previousInstallPath, records.oldUninstallerPath).folder, folder);
}

TEST_F(RecordsTest, RegistryValuesReadBackAsWritten) {
  const std::wstring folder = Folder(L"Quillon 安装");
  const std::wstring uninstaller = JoinPath(Folder(L"elsewhere"), L"remove me.exe");
  quillon_test::WriteBytes(PathOf(uninstaller), "x");

  EXPECT_EQ(WriteRegistryRecords(folder, uninstaller), uninstaller);
  const RegistryRecords records = ReadRegistryRecords();
  EXPECT_EQ(records.previousInstallPath, folder);
  EXPECT_EQ(records.oldUninstallerPath, uninstaller);
  // No terminator is written (Wine's registry adds one of its own).
  if (Utils::PathSeparator() == L'\\') {
    const long long size = install_test::StoredValueBytes(kInstallPathValue);
    EXPECT_TRUE(size == static_cast<long long>(folder.size() * 2) || size == static_cast<long long>(folder.size() * 2 + 2))
        << size;
  } else {
    EXPECT_EQ(install_test::StoredValueBytes(kInstallPathValue),
              static_cast<long long>(Utils::WideToUtf8(folder).size()));
  }

  // A later write replaces the earlier one.
  const std::wstring other = Folder(L"second");
  WriteRegistryRecords(other, uninstaller);
  EXPECT_EQ(ReadRegistryRecords().previousInstallPath, other);
}

TEST_F(RecordsTest, InstallRecordsHoldTheInstallationsFacts) {
  const std::wstring folder = Folder(L"Install Folder");
  const std::wstring setIni = JoinPath(folder, L"set.ini");
  g_InstallerConfig.LanguageIndex = 1;
  WriteInstallRecords(folder);

  const std::wstring self = Utils::ExecutablePath();
  EXPECT_EQ(Read(L"Install", L"APPStore", setIni), fs::path(self).filename().wstring());
  EXPECT_EQ(Read(L"Install", L"AppName", setIni), L"velmotranslate");
  const std::wstring firstId = Read(L"Install", L"DeviceID", setIni);
  EXPECT_TRUE(IsGuid(firstId)) << Utils::WideToUtf8(firstId);
  const std::wstring analyticsIni = JoinPath(ExpectedAnalyticsFolder(), L"KXAnalytics.ini");
  EXPECT_EQ(AnalyticsDataFolder(), ExpectedAnalyticsFolder());
  EXPECT_EQ(Read(L"Install", L"KXAnalyticsIni", setIni), analyticsIni);
  const std::wstring time = Read(L"Init", L"UpdateTime", analyticsIni);
  ASSERT_EQ(time.size(), 19u) << Utils::WideToUtf8(time);
  EXPECT_EQ(time[4], L'-');
  EXPECT_EQ(time[10], L' ');
  EXPECT_EQ(time[13], L':');
  EXPECT_EQ(Read(L"Install", L"Language", JoinPath(folder, L"config.ini")), L"en-US");

  // The success write replaces the start write: a fresh DeviceID.
  g_InstallerConfig.LanguageIndex = 2;
  WriteInstallRecords(folder);
  const std::wstring secondId = Read(L"Install", L"DeviceID", setIni);
  EXPECT_TRUE(IsGuid(secondId));
  EXPECT_NE(secondId, firstId);
  EXPECT_EQ(Read(L"Install", L"Language", JoinPath(folder, L"config.ini")), L"zh-TW");
}

TEST_F(RecordsTest, AnalyticsEntriesAreSkippedWhenTheirFolderCannotBeMade) {
  // The data folder's place is taken by a file.
  const fs::path blocker = scratch_ / "blocked";
  quillon_test::WriteBytes(blocker, "not a folder");
  Steer("XDG_DATA_HOME", blocker, false);
  Steer("APPDATA", blocker, false);

  const std::wstring folder = Folder(L"Install Folder");
  WriteInstallRecords(folder);
  EXPECT_EQ(Read(L"Install", L"KXAnalyticsIni", JoinPath(folder, L"set.ini")), L"<none>");
  EXPECT_EQ(Read(L"Install", L"AppName", JoinPath(folder, L"set.ini")), L"velmotranslate");
  EXPECT_EQ(Read(L"Install", L"Language", JoinPath(folder, L"config.ini")), L"en-US");
}

TEST(SameFolder, ComparesFoldersNotTexts) {
  const bool windows = Utils::PathSeparator() == L'\\';
  struct Case {
    const wchar_t* a;
    const wchar_t* b;
    bool same;
  };
  const Case shell[] = {
      {L"C:\\Program Files\\velmotranslate", L"C:\\Program Files\\velmotranslate", true},
      {L"C:\\Program Files\\velmotranslate", L"c:\\program files\\VELMOTRANSLATE", true},
      {L"C:\\Program Files\\velmotranslate", L"C:\\Program Files", false},
      {L"C:\\Program Files", L"C:\\Program Files\\velmotranslate", false},
      {L"C:\\Program Files\\velmotranslate", L"D:\\Program Files\\velmotranslate", false},
      {L"C:\\a\\b", L"C:\\a\\c", false},
  };
  for (const Case& c : shell) {
    if (!windows) break;
    EXPECT_EQ(IsSameFolder(c.a, c.b), c.same) << Utils::WideToUtf8(c.a) << " | " << Utils::WideToUtf8(c.b);
  }
  // The component rule Linux uses.
  const Case posix[] = {
      {L"/opt/velmotranslate", L"/opt/velmotranslate", true},
      {L"/opt/velmotranslate", L"/opt/velmotranslate/", true},
      {L"/opt//velmotranslate/.", L"/opt/velmotranslate", true},
      {L"/opt/velmotranslate", L"/opt/Velmotranslate", false},
      {L"/opt/velmotranslate", L"/opt", false},
      {L"/opt", L"/opt/velmotranslate", false},
      {L"opt/velmotranslate", L"/opt/velmotranslate", false},
      {L"", L"", false},
  };
  for (const Case& c : posix) {
    EXPECT_EQ(SameFolderComponents(c.a, c.b, L'/'), c.same) << Utils::WideToUtf8(c.a) << " | " << Utils::WideToUtf8(c.b);
    if (!windows) {
      EXPECT_EQ(IsSameFolder(c.a, c.b), c.same);
    }
  }
}

TEST(EffectiveFolder, OnlyTheDefaultItselfIsUsedUnchanged) {
  const std::wstring sep(1, Utils::PathSeparator());
  const std::wstring parent = Utils::PathSeparator() == L'\\' ? L"C:\\Program Files" : L"/opt";
  const std::wstring def = parent + sep + L"velmotranslate";
  EXPECT_EQ(EffectiveInstallFolder(def, def), def);
  // The parent comes back to the default only through the append.
  EXPECT_EQ(EffectiveInstallFolder(parent, def), def);
  EXPECT_EQ(EffectiveInstallFolder(def + sep + L"x", def), def + sep + L"x" + sep + L"velmotranslate");
  if (Utils::PathSeparator() == L'\\') {
    EXPECT_EQ(EffectiveInstallFolder(L"D:/Tools/Quillon", def), L"D:\\Tools\\Quillon\\velmotranslate");
  }
}

TEST_F(RecordsTest, PreviousInstallationStaysOnlyWhenItSaysSoExactly) {
  const std::wstring previous = Folder(L"previous");
  const std::wstring setIni = JoinPath(previous, L"set.ini");
  EXPECT_FALSE(KeepPreviousInstallation(previous, previous)) << "no set.ini: the default is true";
  Utils::StoreProfileString(L"Uninstall", L"IsOverride", L"false", setIni);
  EXPECT_TRUE(KeepPreviousInstallation(previous, previous));
  EXPECT_FALSE(KeepPreviousInstallation(previous, Folder(L"other")));
  EXPECT_FALSE(KeepPreviousInstallation(L"", previous));
  Utils::StoreProfileString(L"Uninstall", L"IsOverride", L"False", setIni);
  EXPECT_FALSE(KeepPreviousInstallation(previous, previous));
  Utils::StoreProfileString(L"Uninstall", L"IsOverride", L"true", setIni);
  EXPECT_FALSE(KeepPreviousInstallation(previous, previous));
}
