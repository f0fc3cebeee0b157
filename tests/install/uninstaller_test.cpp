#include "install/uninstaller.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "install/records.h"
#include "install_test_platform.h"
#include "support/child_process.h"
#include "support/log_capture.h"
#include "support/notify_recorder.h"
#include "support/scratch_dir.h"
#include "utils/file_io.h"
#include "utils/files.h"
#include "utils/system_error.h"
#include "utils/utf8.h"

using quillon_test::Notification;
using quillon_test::NotifyRecorder;
using quillon_test::ScratchDir;
namespace fs = std::filesystem;

namespace {

struct Expected {
  int code;
  double value;
  std::wstring text;
};

void ExpectNotifications(const std::vector<Notification>& seen, const std::vector<Expected>& expected) {
  ASSERT_EQ(seen.size(), expected.size());
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].code, expected[i].code) << "notification " << i;
    EXPECT_DOUBLE_EQ(seen[i].value, expected[i].value) << "notification " << i;
    EXPECT_EQ(seen[i].text, expected[i].text) << "notification " << i;
  }
}

// A "did not start" line for the run, ending in `cause`.
bool HasMessageEndingIn(const quillon_test::LogCapture& log, const std::wstring& cause) {
  for (const std::wstring& m : log.Messages()) {
    if (m.rfind(L"uninstaller did not start: ", 0) == 0 && m.size() >= cause.size() &&
        m.compare(m.size() - cause.size(), cause.size(), cause) == 0) {
      return true;
    }
  }
  return false;
}

UninstallNotify Into(NotifyRecorder& recorder) {
  return [&recorder](int code, double value, const wchar_t* text) { recorder(code, value, text); };
}

}  // namespace

TEST(UninstallStatus, KnownLinesBecomeNotifications) {
  NotifyRecorder rec;
  int codePage = 0;
  EXPECT_EQ(ParseUninstallStatus(L"Progress=0.25\nProgress=abc\nInstPath=C:\\x\n", &codePage, Into(rec)), 0);
  EXPECT_EQ(ParseUninstallStatus(L"State= Success \r\n", &codePage, Into(rec)), 1);
  EXPECT_EQ(ParseUninstallStatus(L"State=Maybe\n", &codePage, Into(rec)), 0);
  EXPECT_EQ(ParseUninstallStatus(L"State=Fail", &codePage, Into(rec)), 1000);
  // The result is the last one the chunk set; the value is passed untrimmed.
  EXPECT_EQ(ParseUninstallStatus(L"State=Success\nError= disk full\r\n", &codePage, Into(rec)), 1000);
  EXPECT_EQ(ParseUninstallStatus(L"Error=" + std::wstring(900, L'e'), &codePage, Into(rec)), 1000);
  ExpectNotifications(rec.All(), {{5002, 0.25, L""},
                                  {5002, 0.0, L""},
                                  {5003, 0.0, L""},
                                  {5005, 0.0, L"安装包卸载失败"},
                                  {5003, 0.0, L""},
                                  {5005, 0.0, L" disk full\r"},
                                  {5005, 0.0, std::wstring(771, L'e')}});
}

TEST(UninstallStatus, EncodeChoosesUtf8OrTheAnsiCodePage) {
  NotifyRecorder rec;
  int codePage = 0;
  ParseUninstallStatus(L"Encode= UTF8\r\n", &codePage, Into(rec));
  EXPECT_EQ(codePage, 65001);
  ParseUninstallStatus(L"Encode=ACP\n", &codePage, Into(rec));
  EXPECT_EQ(codePage, 0);
  codePage = 65001;
  ParseUninstallStatus(L"Encode=936\n", &codePage, Into(rec));
  EXPECT_EQ(codePage, 0);
  // A line cut between two reads is two partial lines, neither recognised.
  EXPECT_EQ(ParseUninstallStatus(L"Sta", &codePage, Into(rec)), 0);
  EXPECT_EQ(ParseUninstallStatus(L"te=Fail\n", &codePage, Into(rec)), 0);
  EXPECT_TRUE(rec.All().empty());
}

TEST(UninstallCommandLine, QuotesTheProgramAndEndsWithTheFolder) {
  EXPECT_EQ(UninstallerCommandLine(L"C:\\Temp Dir\\velmotranslate_un_asa.exe", true, false,
                                   L"C:\\Program Files\\velmotranslate"),
            L"\"C:\\Temp Dir\\velmotranslate_un_asa.exe\" /S -adminact=true -authorizationact=false "
            L"-console=show _?=C:\\Program Files\\velmotranslate");
  EXPECT_EQ(UninstallerCommandLine(L"/tmp/u", false, true, L"/opt/velmotranslate"),
            L"\"/tmp/u\" /S -adminact=false -authorizationact=true -console=show _?=/opt/velmotranslate");
}

namespace {

// An installed older version: its folder (with spaces) holds the helper as
// "uninst.ep", a product file and the helper's script. The temp work
// folder is steered into the scratch folder, also with a space.
class UninstallerRun : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"TMPDIR", "TMP"}) {
      const char* old = getenv(name);
      saved_.emplace_back(name, old ? old : "");
      install_test::SetEnvironment(name, (scratch_ / "temp dir").string().c_str());
    }
    fs::create_directories(scratch_ / "temp dir");
    oldFolder_ = scratch_ / "Old Version" / "velmotranslate";
    fs::create_directories(oldFolder_);
    oldUninstaller_ = oldFolder_ / "uninst.ep";
    fs::copy_file(quillon_test::BuiltProgram(L"tests", L"old_uninstaller"), oldUninstaller_);
    // Not executable as installed: the copy must be made so.
    fs::permissions(oldUninstaller_, fs::perms::owner_read | fs::perms::owner_write);
    quillon_test::WriteBytes(oldFolder_ / "product.bin", "product");
  }
  void TearDown() override {
    for (auto& s : saved_) install_test::SetEnvironment(s.first.c_str(), s.second.empty() ? nullptr : s.second.c_str());
  }
  void Script(const std::string& text) { quillon_test::WriteBytes(oldFolder_ / "script.txt", text); }
  std::wstring Copy() { return CopyUninstaller(oldUninstaller_.wstring()); }
  std::vector<std::string> ArgsSeen() {
    std::ifstream in(fs::path(oldFolder_.wstring() + L".args"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  // Runs to the end; the run's own end is bounded by the helper's script.
  std::vector<Notification> Run(const std::wstring& copy) {
    NotifyRecorder rec;
    {
      UnInstaller u(Into(rec), copy, oldFolder_.wstring());
      u.Start();
      EXPECT_TRUE(rec.WaitFor({5003, 5004, 5005}, 1, std::chrono::seconds(30)));
    }
    return rec.All();
  }

  ScratchDir scratch_;
  fs::path oldFolder_, oldUninstaller_;
  std::vector<std::pair<std::string, std::string>> saved_;
};

}  // namespace

TEST_F(UninstallerRun, OlderVersionIsRemovedByItsCopy) {
  Script("write:Progress=0.25\nsleep:50\nwrite:Progress=0.75\nremove\n");
  const std::wstring copy = Copy();
  EXPECT_EQ(fs::path(copy).filename(), fs::path("velmotranslate_un_asa.exe"));
  EXPECT_EQ(fs::path(copy).parent_path().parent_path(), scratch_ / "temp dir");

  ExpectNotifications(Run(copy), {{5002, 0.0, L""}, {5002, 0.25, L""}, {5002, 0.75, L""}, {5003, 1.0, L""}});
  EXPECT_FALSE(fs::exists(oldFolder_));
  EXPECT_TRUE(fs::exists(oldUninstaller_.parent_path().parent_path()));

  // The program arrived as one argument though its path has a space; the
  // folder is the rest of the line.
  const std::vector<std::string> args = ArgsSeen();
  ASSERT_GE(args.size(), 6u);
  EXPECT_EQ(fs::path(Utils::Utf8ToWide(args[0])), fs::path(copy));
  EXPECT_EQ(args[1], "/S");
  EXPECT_TRUE(args[2] == "-adminact=true" || args[2] == "-adminact=false") << args[2];
  EXPECT_TRUE(args[3] == "-authorizationact=true" || args[3] == "-authorizationact=false") << args[3];
  EXPECT_EQ(args[4], "-console=show");
  std::string folder = args[5];
  for (size_t i = 6; i < args.size(); ++i) folder += " " + args[i];
  EXPECT_EQ(folder, "_?=" + Utils::WideToUtf8(oldFolder_.wstring()));
}

TEST_F(UninstallerRun, SilentUninstallerSucceedsWhateverItsExitCode) {
  Script("exit:3\n");
  ExpectNotifications(Run(Copy()), {{5002, 0.0, L""}, {5003, 1.0, L""}});
}

TEST_F(UninstallerRun, MissingSourceLeavesNoStaleCopyToRun) {
  const std::wstring stale = Copy();
  ASSERT_TRUE(Utils::FileExists(stale));
  quillon_test::LogCapture log;
  const std::wstring copy = CopyUninstaller((oldFolder_ / "gone.ep").wstring());
  EXPECT_EQ(log.Messages(), (std::vector<std::wstring>{L"copy of the uninstaller failed: " +
                                                       (oldFolder_ / "gone.ep").wstring() +
                                                       Utils::SystemErrorNote(install_test::NotFoundError())}));
  EXPECT_EQ(copy, stale);
  EXPECT_FALSE(Utils::FileExists(copy));
  ExpectNotifications(Run(copy), {{5004, 1.0, L"可执行卸载文件不存在"}});
}

TEST_F(UninstallerRun, FailStateJustBeforeExitIsAFailure) {
  Script("write:Progress=0.5\nwrite:State=Fail\nexit:0\n");
  ExpectNotifications(Run(Copy()), {{5002, 0.0, L""}, {5002, 0.5, L""}, {5005, 0.0, L"安装包卸载失败"}});
  EXPECT_TRUE(fs::exists(oldFolder_));
}

TEST_F(UninstallerRun, ErrorAfterSuccessIsReportedToo) {
  Script("write:State=Success\nsleep:50\nwrite:Error=locked file\nexit:0\n");
  ExpectNotifications(Run(Copy()), {{5002, 0.0, L""}, {5003, 0.0, L""}, {5005, 0.0, L"locked file"}});
}

TEST_F(UninstallerRun, UnstartableUninstallerIsAStartFailure) {
  // A file that is no program.
  const fs::path text = scratch_ / "temp dir" / "not a program.exe";
  quillon_test::WriteBytes(text, "just text\n");
  quillon_test::LogCapture log;
  ExpectNotifications(Run(text.wstring()), {{5002, 0.0, L""}, {5004, 2.0, L""}});
  // The trace says why; the notifications stay as they were.
  EXPECT_TRUE(HasMessageEndingIn(log, L"; " + Utils::Utf8ToWide(install_test::StartStep()) + Utils::SystemErrorNote(install_test::NotAProgramError())));

  // A command line over 1023 characters.
  NotifyRecorder rec;
  {
    UnInstaller u(Into(rec), Copy(), std::wstring(1100, L'x'));
    u.Start();
    EXPECT_TRUE(rec.WaitFor({5004}, 1, std::chrono::seconds(30)));
  }
  ExpectNotifications(rec.All(), {{5002, 0.0, L""}, {5004, 2.0, L""}});
  EXPECT_TRUE(HasMessageEndingIn(log, L"; command line of 1024 characters or more"));
}

TEST_F(UninstallerRun, RunEndsWhenTheUninstallerExitsThoughItsPipeLivesOn) {
  const fs::path idFile = scratch_ / "holder.id";
  Script("hold:" + idFile.u8string() + "\nwrite:State=Success\nexit:0\n");
  NotifyRecorder rec;
  auto u = std::make_unique<UnInstaller>(Into(rec), Copy(), oldFolder_.wstring());
  u->Start();
  std::future<void> joined = std::async(std::launch::async, [&] { u->Join(); });
  const bool ended = joined.wait_for(std::chrono::seconds(20)) == std::future_status::ready;

  unsigned long holder = 0;
  std::ifstream(idFile) >> holder;
  EXPECT_NE(holder, 0u);
  quillon_test::KillProcessById(holder);  // frees a run that did not end, too
  joined.wait();
  u.reset();
  EXPECT_TRUE(ended) << "the run waited for the process that kept the pipe";
  ExpectNotifications(rec.All(), {{5002, 0.0, L""}, {5003, 0.0, L""}});
}

TEST_F(UninstallerRun, SecondStartWaitsForTheFirstRun) {
  Script("sleep:200\nwrite:Progress=0.5\n");
  NotifyRecorder rec;
  {
    UnInstaller u(Into(rec), Copy(), oldFolder_.wstring());
    u.Start();
    ASSERT_TRUE(rec.WaitFor({5002}, 1, std::chrono::seconds(30)));
    u.Start();
    EXPECT_NE(u.CommandLine().find(L"_?=" + oldFolder_.wstring()), std::wstring::npos);
    EXPECT_TRUE(rec.WaitFor({5003}, 2, std::chrono::seconds(30)));
  }
  ExpectNotifications(rec.All(), {{5002, 0.0, L""},
                                  {5002, 0.5, L""},
                                  {5003, 1.0, L""},
                                  {5002, 0.0, L""},
                                  {5002, 0.5, L""},
                                  {5003, 1.0, L""}});
}
