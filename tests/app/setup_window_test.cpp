// The real installer, as a user meets it: the executable started as a
// child process on the test's display, its window found on the screen, its
// buttons clicked with real input at their places, and what the
// installation left behind checked afterwards. With QUILLON_SCREENSHOTS
// set to a folder, every page and prompt met is saved there as a PNG.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "setup_fixture.h"
#include "support/package_server.h"
#include "support/setup_pilot.h"
#include "support/system_dpi.h"
#include "uikit/png.h"
#include "uikit/automation.h"
#include "uikit/window_host.h"

namespace {

using setup_test::Field;
namespace fs = std::filesystem;
namespace qt = quillon_test;

constexpr int kWindowMs = 60000;

class SetupWindow : public setup_test::SetupFixture {
 protected:
  void TearDown() override {
    if (child_) {
      uint32_t code = 0;
      if (!child_->WaitFor(0, &code)) child_->Terminate();
      child_.reset();
    }
    SetupFixture::TearDown();
  }

  // Starts the copy and waits for its window.
  bool Start(const std::wstring& arguments = L"") {
    child_ = std::make_unique<Utils::PipedProcess>();
    child_->Start(qt::Quoted(setup_) + (arguments.empty() ? L"" : L" " + arguments));
    return qt::WaitForWindow(qt::kMainTitle, qt::kMainClass, kWindowMs, &window_);
  }
  // The custom page, and a click into its folder field.
  void OpenFolderField() {
    Click("customeBtn", 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Click("installDirEdit", 1);
    // The click focuses the field (and turns text input on) in the
    // installer's own time: a user's keys come later than a program's.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  // Waits (bounded) for the installer to exit; its exit code.
  bool Exited(uint32_t* code, uint32_t ms = 60000) { return child_->WaitFor(ms, code); }

  void Click(const std::string& control, int page) {
    ASSERT_TRUE(qt::FindTopLevelWindow(qt::kMainTitle, qt::kMainClass, &window_));
    ASSERT_TRUE(qt::ClickControl(window_, qt::kMainLayout, control, page)) << control;
  }
  // The prompt `layout` shows; clicks `button` in it.
  bool WaitForPrompt(qt::ScreenRect* prompt, const std::string& shot = "") {
    if (!qt::WaitForWindow(qt::kPromptTitle, "", kWindowMs, prompt)) return false;
    // Drawn once the prompt has shown its texts, not only its frame.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Shot(*prompt, shot);
    return true;
  }
  void AnswerPrompt(const std::string& layout, const std::string& button, const std::string& shot = "") {
    qt::ScreenRect prompt;
    ASSERT_TRUE(WaitForPrompt(&prompt, shot)) << layout;
    ASSERT_TRUE(qt::ClickControl(prompt, layout, button, -1)) << layout << " " << button;
    EXPECT_TRUE(qt::WaitForNoWindow(qt::kPromptTitle, "", kWindowMs));
  }

  // Bounded wait for the installation record the finished page comes with.
  bool Installed(const fs::path& folder, int ms = 120000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    do {
      if (Install::ReadRegistryRecords().previousInstallPath == folder.wstring() &&
          fs::exists(folder / "velmotranslate.exe")) {
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
  }

  // The finished page: shot, then "立即体验" closes the window and the
  // process ends with 0.
  void FinishAndExit(const std::string& shot = "") {
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));  // the finished animation runs 1.8 s
    Shot(window_, shot);
    Click("openProduceBtn", 3);
    uint32_t code = 1;
    ASSERT_TRUE(Exited(&code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(qt::WaitForNoWindow(qt::kMainTitle, qt::kMainClass, 10000));
  }

  void Shot(const qt::ScreenRect& area, const std::string& name) {
    const char* folder = getenv("QUILLON_SCREENSHOTS");
    if (!folder || !*folder || name.empty()) return;
    const std::string suffix = qt::ExecutableSuffix().empty() ? "linux" : "wine64";
    EXPECT_TRUE(qt::SaveScreenPng(area, std::string(folder) + "/" + name + "-" + suffix + ".png"));
  }

  fs::path DefaultFolder() const { return Install::DefaultInstallFolder(L"", L"").folder; }

  std::unique_ptr<Utils::PipedProcess> child_;
  qt::ScreenRect window_;
};

TEST_F(SetupWindow, OneClickInstallsAndReportsAsTheWindowDoes) {
  const bool shots = getenv("QUILLON_SCREENSHOTS") != nullptr;
  // Slow enough, for screenshots only, to see the installing page.
  std::vector<std::string> flags;
  if (shots) flags = {"--rate", "2000000"};
  qt::PackageServer server("velmotranslate.exe", setup_test::DemoPackage(), flags);
  ASSERT_TRUE(server.ready());
  Config(server.ShortUrl(), shots ? L"-demo-startup=NonStartup -demo-slow=800" : L"-demo-startup=NonStartup");
  ASSERT_TRUE(Start());
  EXPECT_EQ(window_.Width(), 600);
  EXPECT_EQ(window_.Height(), 400);
  // Centred on the screen.
  const SkinUI::Rect work = SkinUI::WindowHost::WorkArea();
  EXPECT_NEAR(window_.left, work.left + (work.right - work.left - 600) / 2, 2);
  Shot(window_, "page-0-start");

  Click("defaultInstallBtn", 0);
  if (shots) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    Shot(window_, "page-2-installing");
  }
  const fs::path folder = DefaultFolder();
  ASSERT_TRUE(Installed(folder));
  FinishAndExit("page-3-finished");

  ExpectInstalledRecords(folder);
  EXPECT_TRUE(CollectorGot({Field("kx_name", "安装中"), Field("kx_name", "立即安装"), Field("kx_name", "立即体验"),
                            Field("kx_task_name", "下载器启动"), Field("kx_task_name", "开始下载大包"),
                            Field("kx_task_name", "大包下载完毕"), Field("kx_task_name", "安装成功")}))
      << collector_.Errors();
}

// What tools/skin-render draws of the start page at a scale: the toolkit's
// own pixels, which the window must show unchanged.
SkinUI::Bitmap RenderedStartPage(const wchar_t* scale, const fs::path& out) {
  Utils::PipedProcess render;
  render.Start(qt::Quoted(qt::BuiltProgram(L"tools", L"skin-render")) + L" MainWnd.xml --out " + qt::Quoted(out) +
               L" --fit lbLanguage --scale " + scale);
  uint32_t code = 1;
  SkinUI::Bitmap b;
  std::string error;
  if (render.WaitFor(60000, &code) && code == 0) SkinUI::DecodePng(qt::ReadBytes(out), &b, &error);
  return b;
}

// At one and a half and at twice the scale, as a desktop announces it
// (Xft.dpi or LogPixels of 144 and 192), the window is that much larger,
// shows the toolkit's drawing at that scale pixel for pixel (text
// rasterised and art drawn for it, nothing stretched by the system), and a
// click where "Install now" is at that scale installs.
struct Scale {
  int dpi;
  const wchar_t* text;
  const char* shot;
};

class ScaledSetupWindow : public SetupWindow, public ::testing::WithParamInterface<Scale> {};

TEST_P(ScaledSetupWindow, IsLargerSharpAndInstallsWithAClickAtTheScaledPlace) {
  const Scale scale = GetParam();
  {
    qt::ScopedSystemDpi dpi(scale.dpi);
    ASSERT_TRUE(dpi.ok());
    const bool shots = getenv("QUILLON_SCREENSHOTS") != nullptr;
    std::vector<std::string> flags;
    if (shots) flags = {"--rate", "2000000"};  // for screenshots only: time to see the installing page
    qt::PackageServer server("velmotranslate.exe", setup_test::DemoPackage(), flags);
    ASSERT_TRUE(server.ready());
    Config(server.ShortUrl(), shots ? L"-demo-startup=NonStartup -demo-slow=800" : L"-demo-startup=NonStartup");
    ASSERT_TRUE(Start());
    EXPECT_EQ(window_.Width(), SkinUI::ScaleLength(600, scale.dpi));
    EXPECT_EQ(window_.Height(), SkinUI::ScaleLength(400, scale.dpi));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // every part painted
    Shot(window_, std::string(scale.shot) + "-start");

    // The header (logo, name, tagline over the art), away from the rounded
    // corners and the title buttons a pointer may be over.
    SkinUI::Rect button, minimise;
    ASSERT_TRUE(qt::LayoutRect(qt::kMainLayout, "defaultInstallBtn", 0, &button, scale.dpi));
    ASSERT_TRUE(qt::LayoutRect(qt::kMainLayout, "minbtn", 0, &minimise, scale.dpi));
    const SkinUI::Rect header{40, 40, minimise.left - 8, button.top - 40};
    const SkinUI::Bitmap drawn = RenderedStartPage(scale.text, scratch_.Path() / "start.png");
    ASSERT_EQ(drawn.width, window_.Width());
    int w = 0, h = 0;
    const std::vector<uint32_t> shown = qt::ScreenPixels(
        qt::ScreenRect{window_.left + header.left, window_.top + header.top, window_.left + header.right,
                       window_.top + header.bottom},
        &w, &h);
    ASSERT_EQ(w, header.Width());
    ASSERT_EQ(h, header.Height());
    int differing = 0;
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const uint32_t a = shown[static_cast<size_t>(y) * w + x], b = drawn.At(header.left + x, header.top + y);
        for (int shift = 0; shift < 24; shift += 8)
          if (std::abs(static_cast<int>((a >> shift) & 255) - static_cast<int>((b >> shift) & 255)) > 2) {
            ++differing;
            break;
          }
      }
    }
    EXPECT_EQ(differing, 0) << "of " << w * h << " header pixels";

    // Every button met on the way is clicked where it is at the scale: the
    // exit prompt comes at its owner's scale, and so do the custom page's
    // controls.
    Click("closebtn", 0);
    qt::ScreenRect prompt;
    ASSERT_TRUE(WaitForPrompt(&prompt, std::string(scale.shot) + "-prompt-exit"));
    EXPECT_EQ(prompt.Width(), SkinUI::ScaleLength(360, scale.dpi));
    EXPECT_EQ(prompt.Height(), SkinUI::ScaleLength(180, scale.dpi));
    ASSERT_TRUE(qt::ClickControl(prompt, "ExitTipWnd.xml", "cancelBtn", -1));
    EXPECT_TRUE(qt::WaitForNoWindow(qt::kPromptTitle, "", kWindowMs));
    // The owner takes input again once the prompt's run has ended, which
    // under Wine can be a second after the prompt left the window list; a
    // click before that is lost, as a user's would be, so the user clicks
    // again. The custom page shows its white folder field.
    SkinUI::Rect field;
    ASSERT_TRUE(qt::LayoutRect(qt::kMainLayout, "installDirEdit", 1, &field, scale.dpi));
    auto onCustomPage = [&] {
      int fw = 0, fh = 0;
      const qt::ScreenRect centre{window_.left + field.left + 4, window_.top + (field.top + field.bottom) / 2,
                                  window_.left + field.left + 5, window_.top + (field.top + field.bottom) / 2 + 1};
      const std::vector<uint32_t> p = qt::ScreenPixels(centre, &fw, &fh);
      return p.size() == 1 && (p[0] & 0xFF) > 0xF0 && ((p[0] >> 8) & 0xFF) > 0xF0 && ((p[0] >> 16) & 0xFF) > 0xF0;
    };
    for (int attempt = 0; attempt < 10 && !onCustomPage(); ++attempt) {
      Click("customeBtn", 0);
      std::this_thread::sleep_for(std::chrono::milliseconds(700));
    }
    ASSERT_TRUE(onCustomPage());
    Shot(window_, std::string(scale.shot) + "-custom");
    Click("backBtn", 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));

    Click("defaultInstallBtn", 0);
    if (shots) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1500));
      Shot(window_, std::string(scale.shot) + "-installing");
    }
    const fs::path folder = DefaultFolder();
    ASSERT_TRUE(Installed(folder));
    FinishAndExit(std::string(scale.shot) + "-finished");
    ExpectInstalledRecords(folder);
  }
}

INSTANTIATE_TEST_SUITE_P(AtTheDesktopsScale, ScaledSetupWindow,
                         ::testing::Values(Scale{144, L"1.5", "scale-1.5x"}, Scale{192, L"2", "scale-2x"}));

// "自定义安装", then a folder of the user's own: the text typed at the end
// of the proposed folder makes another folder, with "velmotranslate" below.
TEST_F(SetupWindow, TheCustomPageInstallsIntoAnotherFolder) {
  qt::PackageServer server("velmotranslate.exe", setup_test::DemoPackage());
  Config(server.ShortUrl(), L"-demo-startup=NonStartup");
  ASSERT_TRUE(Start());
  OpenFolderField();
  ASSERT_TRUE(SkinUI::Automation::PressKey(SkinUI::kKeyEnd));
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  ASSERT_TRUE(qt::TypeText("2"));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Shot(window_, "page-1-custom");
  Click("customeInstallBtn", 1);
  const fs::path folder = fs::path(DefaultFolder().wstring() + L"2") / "velmotranslate";
  ASSERT_TRUE(Installed(folder)) << folder << " / " << Utils::WideToUtf8(Install::ReadRegistryRecords().previousInstallPath);
  FinishAndExit();
  ExpectInstalledRecords(folder);
  EXPECT_TRUE(CollectorGot({Field("kx_name", "自定义安装"), Field("kx_name", "自定义安装_立即安装")}));
}

// The keyboard alone on the start page, which opens with its button
// focused: Tab and Space take the agreement away (and Return on the button
// then installs nothing) and give it back. Then the language is picked
// from the open list with the mouse, with the window at the bottom of the
// screen so the list opens above the box; Shift+Tab walks back from the
// list to the button and Return installs.
TEST_F(SetupWindow, TheLanguageIsPickedFromTheOpenListAndTheKeyboardAloneInstalls) {
  qt::PackageServer server("velmotranslate.exe", setup_test::DemoPackage());
  Config(server.ShortUrl(), L"-demo-startup=NonStartup");
  ASSERT_TRUE(Start());
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  using SkinUI::Automation::PressKey;
  auto pause = [](int ms = 150) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  ASSERT_TRUE(PressKey(SkinUI::kKeyTab));  // to the agreement's check box
  ASSERT_TRUE(PressKey(SkinUI::kKeySpace));
  pause(400);
  Shot(window_, "focus-mark");
  ASSERT_TRUE(PressKey(SkinUI::kKeyTab, SkinUI::kModShift));
  ASSERT_TRUE(PressKey(SkinUI::kKeyReturn));
  pause(500);
  EXPECT_EQ(Install::ReadRegistryRecords().previousInstallPath, L"");
  ASSERT_TRUE(PressKey(SkinUI::kKeyTab));
  ASSERT_TRUE(PressKey(SkinUI::kKeySpace));
  pause();

  const SkinUI::Rect work = SkinUI::WindowHost::WorkArea();
  // Dragged by its caption until its bottom edge nearly meets the screen's.
  // Wine's move loop may stop short of a drag's end under load, so what is
  // left is dragged again (three times at most).
  for (int attempt = 0; attempt < 3 && window_.bottom < work.bottom - 8; ++attempt) {
    const SkinUI::Point grab{window_.left + 300, window_.top + 12};
    const int down = work.bottom - 4 - window_.bottom;
    ASSERT_TRUE(SkinUI::Automation::DragScreen(grab, SkinUI::Point{grab.x, grab.y + down}));
    const auto moved = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < moved) {
      ASSERT_TRUE(qt::FindTopLevelWindow(qt::kMainTitle, qt::kMainClass, &window_));
      if (window_.bottom >= work.bottom - 8) break;
      pause(50);
    }
  }
  ASSERT_GE(window_.bottom, work.bottom - 8);
  SkinUI::Rect box;
  ASSERT_TRUE(qt::LayoutRect(qt::kMainLayout, "languageCombo", 0, &box));
  Click("languageCombo", 0);
  qt::ScreenRect list;
  ASSERT_TRUE(qt::WaitForWindow(L"", "MainWndPopup", 10000, &list));
  pause(300);  // the moved window repainted under the list too
  Shot(qt::ScreenRect{window_.left, std::min(list.top, window_.top), window_.right, window_.bottom}, "dropdown-open");
  // As wide as the box, right above it. (The box's left edge follows the
  // width its label's text takes in the screen's font, so only nearly
  // where the layout alone puts it.)
  EXPECT_EQ(list.Width(), box.Width());
  EXPECT_EQ(list.bottom, window_.top + box.top);
  EXPECT_NEAR(list.left, window_.left + box.left, 8);
  // The third item is "繁體中文"; each item is the list's height over three.
  const int itemHeight = (list.Height() - 2) / 3;
  ASSERT_TRUE(SkinUI::Automation::ClickScreen(SkinUI::Point{list.left + 20, list.top + 1 + 2 * itemHeight + itemHeight / 2}));
  EXPECT_TRUE(qt::WaitForNoWindow(L"", "MainWndPopup", 10000));

  // From the list back over the link and the check box to the button.
  for (int i = 0; i < 3; ++i) ASSERT_TRUE(PressKey(SkinUI::kKeyTab, SkinUI::kModShift));
  pause();
  ASSERT_TRUE(PressKey(SkinUI::kKeyReturn));
  const fs::path folder = DefaultFolder();
  ASSERT_TRUE(Installed(folder));
  // The finished page's button has the focus too: Return opens the product
  // and ends the installer.
  pause(2500);
  ASSERT_TRUE(PressKey(SkinUI::kKeyReturn));
  uint32_t code = 1;
  ASSERT_TRUE(Exited(&code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(setup_test::ReadIni(L"Install", L"Language", folder / "config.ini"), L"zh-TW");
  // Installed from the start page, not the custom one.
  EXPECT_TRUE(CollectorGot({Field("kx_name", "立即安装")}));
  EXPECT_FALSE(CollectorGot({Field("kx_name", "自定义安装")}, std::chrono::seconds(1)));
}

// The folder typed and corrected in the field with the keys a user has:
// copy and paste through the system clipboard, typing, BackSpace, Home,
// End, Left, Shift+Home and typing over the selection; Return installs
// exactly there.
TEST_F(SetupWindow, TheFolderTypedAndCorrectedWithTheKeysIsWhereItInstalls) {
  qt::PackageServer server("velmotranslate.exe", setup_test::DemoPackage());
  Config(server.ShortUrl(), L"-demo-startup=NonStartup");
  ASSERT_TRUE(Start());
  OpenFolderField();
  using SkinUI::Automation::PressKey;
  const std::string base = (scratch_.Path() / "typed").string();
  const std::string sep = qt::ExecutableSuffix().empty() ? "/" : "\\";
  auto pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(150)); };
  // Everything selected, then replaced by what is typed.
  ASSERT_TRUE(PressKey(SkinUI::kKeyHome));
  ASSERT_TRUE(PressKey(SkinUI::kKeyEnd, SkinUI::kModShift));
  pause();
  ASSERT_TRUE(qt::TypeText("scratch"));
  // Copied, overwritten, pasted back: the clipboard's way.
  ASSERT_TRUE(PressKey(SkinUI::kKeyHome));
  ASSERT_TRUE(PressKey(SkinUI::kKeyEnd, SkinUI::kModShift));
  ASSERT_TRUE(PressKey('C', SkinUI::kModControl));
  pause();
  ASSERT_TRUE(qt::TypeText("x"));
  ASSERT_TRUE(PressKey(SkinUI::kKeyBack));
  ASSERT_TRUE(PressKey('V', SkinUI::kModControl));
  pause();
  // "scratch" + "/abcx", the x taken back; the caret two to the left, and
  // everything before it typed over with the real folder.
  ASSERT_TRUE(qt::TypeText(sep + "abcx"));
  ASSERT_TRUE(PressKey(SkinUI::kKeyBack));
  ASSERT_TRUE(PressKey(SkinUI::kKeyHome));
  ASSERT_TRUE(PressKey(SkinUI::kKeyEnd));
  ASSERT_TRUE(PressKey(SkinUI::kKeyLeft));
  ASSERT_TRUE(PressKey(SkinUI::kKeyLeft));
  ASSERT_TRUE(PressKey(SkinUI::kKeyHome, SkinUI::kModShift));
  pause();
  ASSERT_TRUE(qt::TypeText(base + "-"));
  std::this_thread::sleep_for(std::chrono::milliseconds(400));
  Shot(window_, "field-typed");
  ASSERT_TRUE(PressKey(SkinUI::kKeyReturn));
  const fs::path folder = fs::path(base + "-bc") / "velmotranslate";
  ASSERT_TRUE(Installed(folder)) << folder << " / " << Utils::WideToUtf8(Install::ReadRegistryRecords().previousInstallPath);
  FinishAndExit();
  ExpectInstalledRecords(folder);
}

// The package server is down at first: the download fails, the network
// prompt shows; the server comes back and "重新安装" installs.
TEST_F(SetupWindow, AFailedDownloadPromptsAndTheRetrySucceeds) {
  int port = 0;
  std::string url;
  {
    // A port that was free a moment ago, and nothing listens there now.
    qt::PackageServer probe("velmotranslate.exe", "x");
    ASSERT_TRUE(probe.ready());
    port = probe.port();
    url = probe.ShortUrl();
  }
  Config(url, L"-demo-startup=NonStartup");
  ASSERT_TRUE(Start());
  Click("defaultInstallBtn", 0);
  qt::ScreenRect prompt;
  ASSERT_TRUE(WaitForPrompt(&prompt, "prompt-network"));

  qt::PackageServer server("velmotranslate.exe", setup_test::DemoPackage(), {"--port", std::to_string(port)});
  ASSERT_TRUE(server.ready());
  ASSERT_TRUE(qt::ClickControl(prompt, "NetworkTipWnd.xml", "okBtn", -1));
  const fs::path folder = DefaultFolder();
  ASSERT_TRUE(Installed(folder));
  FinishAndExit();
  ExpectInstalledRecords(folder);
  EXPECT_FALSE(server.Requests("GET").empty());
  EXPECT_TRUE(CollectorGot({Field("kx_task_name", "下载失败原因"), Field("kx_task_name", "安装成功")}));
}

// The package reports a failure: the install prompt (2004), and the start
// page again.
TEST_F(SetupWindow, AFailedPackagePromptsAndLeavesNoRecord) {
  qt::PackageServer server("velmotranslate.exe", setup_test::DemoPackage());
  Config(server.ShortUrl(), L"-demo-error -demo-startup=NonStartup");
  ASSERT_TRUE(Start());
  Click("defaultInstallBtn", 0);
  AnswerPrompt("MessageBox2Wnd.xml", "closebtn", "prompt-install-failed");
  EXPECT_EQ(Install::ReadRegistryRecords().previousInstallPath, L"");
  Click("closebtn", 0);
  AnswerPrompt("ExitTipWnd.xml", "okBtn", "prompt-exit");
  uint32_t code = 1;
  ASSERT_TRUE(Exited(&code));
  EXPECT_TRUE(CollectorGot({Field("kx_task_name", "安装失败原因")}));
}

// An installed copy: the window asks first ("安装最新版本"), removes the old
// version with its own uninstaller, then installs again. Meanwhile a second
// installer leaves at once with -1 and shows nothing.
TEST_F(SetupWindow, AnOlderVersionIsRemovedFirstAndASecondCopyLeaves) {
  qt::PackageServer server("velmotranslate.exe", setup_test::DemoPackage());
  Config(server.ShortUrl(), L"-demo-startup=NonStartup");
  const setup_test::SetupRun first = RunSetup(L"-silent=true");
  ASSERT_EQ(first.exitCode, 0u);
  const fs::path folder = DefaultFolder();
  ASSERT_TRUE(fs::exists(folder / "uninst.ep"));
  const fs::path marker = folder / "demo-package.args";
  fs::remove(marker);

  // The question comes before the window shows.
  child_ = std::make_unique<Utils::PipedProcess>();
  child_->Start(qt::Quoted(setup_));
  qt::ScreenRect prompt;
  ASSERT_TRUE(WaitForPrompt(&prompt, "prompt-installed"));
  const setup_test::SetupRun second = RunSetup(L"");
  EXPECT_TRUE(setup_test::IsMinusOne(second.exitCode)) << second.exitCode;
  EXPECT_TRUE(second.lines.empty());
  qt::ScreenRect ignored;
  EXPECT_FALSE(qt::FindTopLevelWindow(qt::kMainTitle, qt::kMainClass, &ignored));
  ASSERT_TRUE(qt::ClickControl(prompt, "InstalledPathTipWnd.xml", "okBtn", -1));
  ASSERT_TRUE(qt::WaitForWindow(qt::kMainTitle, qt::kMainClass, kWindowMs, &window_));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (!fs::exists(marker) && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  ASSERT_TRUE(fs::exists(marker));
  ASSERT_TRUE(Installed(folder));
  FinishAndExit();
  ExpectInstalledRecords(folder);
}

}  // namespace

namespace {

fs::path SignedPackage(const char* name) {
  return qt::BuiltProgram(L"tests", L"x").parent_path() / "signed" / name;
}

}  // namespace

// "PublisherKey" set: each spoiled package is refused in the window with
// its reason in the prompt and the step report, nothing started and
// nothing left; the package signed by the pinned key installs (Windows;
// on Linux a PE image cannot run, so only the refusals are shown).
TEST_F(SetupWindow, APinnedKeyInstallsOnlyThePublishersPackage) {
  std::string key = qt::ReadBytes(SignedPackage("publisher.key.txt"));
  while (!key.empty() && (key.back() == '\n' || key.back() == '\r')) key.pop_back();
  ASSERT_EQ(key.size(), 64u);
  struct Case {
    const char* file;
    const char* reason;
  } cases[] = {
      {"unsigned.exe", "未签名"},          {"other-key.exe", "发布者不符"}, {"flipped.exe", "文件摘要不符"},
      {"cut.exe", "签名无效"},             {"expired.exe", "证书已过期"},   {"bad-signature.exe", "签名无效"},
  };
  // The default folder is the machine's own under Wine: an earlier test's
  // installation would be an older version to remove first.
  const fs::path folder = DefaultFolder();
  std::error_code ec;
  fs::remove_all(folder, ec);
  install_test::ClearRegistryRecord();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    qt::PackageServer server("velmotranslate.exe", qt::ReadBytes(SignedPackage(c.file)));
    ASSERT_TRUE(server.ready());
    Config(server.ShortUrl(), L"-demo-startup=NonStartup");
    ConfigValue(L"PublisherKey", Utils::Utf8ToWide(key));
    fs::remove(scratch_.Path() / "package.pid");
    ASSERT_TRUE(Start());
    Click("defaultInstallBtn", 0);
    const std::string name = fs::path(c.file).stem().u8string();
    AnswerPrompt("MessageBox2Wnd.xml", "closebtn", "prompt-signature-" + name);
    EXPECT_FALSE(fs::exists(scratch_.Path() / "package.pid"));
    EXPECT_FALSE(fs::exists(folder / "velmotranslate.exe"));
    EXPECT_FALSE(fs::exists(folder / "__Package_velmotranslate.exe"));
    EXPECT_EQ(Install::ReadRegistryRecords().previousInstallPath, L"");
    Click("closebtn", 0);
    AnswerPrompt("ExitTipWnd.xml", "okBtn");
    uint32_t code = 1;
    ASSERT_TRUE(Exited(&code));
    child_.reset();
    // The reports go out as analytics shuts down, with the window.
    EXPECT_TRUE(CollectorGot({Field("kx_task_name", "安装失败原因"),
                              std::string("2.msg=安装包未通过签名校验：") + c.reason}))
        << collector_.Errors();
  }
  if (qt::ExecutableSuffix().empty()) return;
  qt::PackageServer server("velmotranslate.exe", qt::ReadBytes(SignedPackage("signed.exe")));
  ASSERT_TRUE(server.ready());
  Config(server.ShortUrl(), L"-demo-startup=NonStartup");
  ConfigValue(L"PublisherKey", Utils::Utf8ToWide(key));
  ASSERT_TRUE(Start());
  Click("defaultInstallBtn", 0);
  ASSERT_TRUE(Installed(folder));
  FinishAndExit("page-3-finished-signed");
  ExpectInstalledRecords(folder);
}
