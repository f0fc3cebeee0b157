// tools/skin-render against a fixture package: the picture it writes, the
// rectangles it prints and how it fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <chrono>
#include <string>
#include <vector>

#include "support/scratch_dir.h"
#include "uikit/geometry.h"
#include "uikit/png.h"
#include "utils/process.h"
#include "utils/utf8.h"

namespace {

using SkinUI::Rect;

Rect ParseRect(const std::string& text) {
  Rect r;
  std::sscanf(text.c_str(), "%d,%d,%d,%d", &r.left, &r.top, &r.right, &r.bottom);
  return r;
}

struct RenderRun {
  uint32_t exitCode = 0;
  bool ended = false;
  std::string out;
};

class SkinRender : public ::testing::Test {
 protected:
  RenderRun Render(const std::wstring& args, bool fixture = true) {
    RenderRun run;
    Utils::PipedProcess child;
    child.Start(quillon_test::Quoted(quillon_test::BuiltProgram(L"tools", L"skin-render")) + L" " + args +
                (fixture ? L" --package " + quillon_test::Quoted(Utils::Utf8ToWide(SKINUI_RENDER_PACKAGE)) : L""));
    std::vector<char> buffer(4096);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (std::chrono::steady_clock::now() < deadline) {
      size_t got = 0;
      const auto status = child.ReadOutputFor(buffer.data(), buffer.size(), &got, 100);
      if (status == Utils::PipedProcess::ReadStatus::kData) run.out.append(buffer.data(), got);
      if (status == Utils::PipedProcess::ReadStatus::kEnded) break;
    }
    run.ended = child.WaitFor(30000, &run.exitCode);
    if (!run.ended) child.Terminate();
    return run;
  }
  SkinUI::Bitmap Picture() {
    SkinUI::Bitmap b;
    std::string error;
    EXPECT_TRUE(SkinUI::DecodePng(scratch_.Read(L"out.png"), &b, &error)) << error;
    return b;
  }
  std::wstring Out() { return L"--out " + quillon_test::Quoted(scratch_ / "out.png"); }

  quillon_test::ScratchDir scratch_;
};

TEST_F(SkinRender, PaintsTheLayoutWithTheStatesAsked) {
  RenderRun run = Render(L"render.xml " + Out() + L" --state go=hot");
  ASSERT_TRUE(run.ended);
  ASSERT_EQ(run.exitCode, 0u);
  SkinUI::Bitmap b = Picture();
  ASSERT_EQ(b.width, 300);
  ASSERT_EQ(b.height, 200);
  EXPECT_EQ(b.At(5, 150), 0xFF6080A0u);   // the window's background colour
  EXPECT_EQ(b.At(100, 50), 0xFF00C800u);  // the button's hot image
  ASSERT_EQ(Render(L"Render.xml " + Out()).exitCode, 0u);
  EXPECT_EQ(Picture().At(100, 50), 0xFFC80000u);  // normal image
  ASSERT_EQ(Render(L"Render.xml " + Out() + L" --state go=disabled").exitCode, 0u);
  EXPECT_EQ(Picture().At(100, 50), 0xFF6080A0u);  // its disabled image is missing
}

TEST_F(SkinRender, SelectsPagesSetsValuesAndPrintsRectangles) {
  RenderRun run = Render(L"Render.xml " + Out() + L" --select pages=1 --value bar=35 --play spin=30 --rects");
  ASSERT_EQ(run.exitCode, 0u);
  const auto lines = quillon_test::TabLines(run.out);
  std::vector<std::string> names;
  for (const auto& l : lines) names.push_back(l.at(0));
  EXPECT_EQ(names, (std::vector<std::string>{"win", "title", "caption", "pages", "page0", "go", "page1", "bar", "spin"}));
  ASSERT_EQ(lines.at(7).size(), 2u);
  EXPECT_EQ(lines[7][1], "20,50,280,60");
  SkinUI::Bitmap b = Picture();
  // The fill covers 260 * 35 / 100 = 91 pixels from the bar's left edge.
  EXPECT_EQ(b.At(20 + 90, 55), 0xFF0000DCu);
  EXPECT_EQ(b.At(20 + 91, 55), 0xFF282828u);
  EXPECT_EQ(b.At(30, 80), 0xFFFAFA00u);  // the sequence label's first frame, one span in
  // Not played, it shows no frame; only frame sequences play.
  ASSERT_EQ(Render(L"Render.xml " + Out() + L" --select pages=1").exitCode, 0u);
  EXPECT_EQ(Picture().At(30, 80), 0xFF6080A0u);
  EXPECT_EQ(Render(L"Render.xml " + Out() + L" --play bar=30").exitCode, 2u);
}

// At a display scale the picture, every rectangle and the art are those of
// a screen at that scale: 2x art where the package has it, 1x stretched
// where it has not.
TEST_F(SkinRender, DrawsAndMeasuresAtTheScaleAsked) {
  struct Case {
    const wchar_t* scale;
    int width, height;
    const char* bar;
    SkinUI::Argb button;
  };
  const Case cases[] = {
      {L"1", 300, 200, "20,50,280,60", 0xFFC80000u},     // 1x art
      {L"1.5", 450, 300, "30,75,420,90", 0xFF0064C8u},   // 2x art filtered down
      {L"2", 600, 400, "40,100,560,120", 0xFF0064C8u},   // 2x art as drawn
      {L"2.75", 825, 550, "55,138,770,166", 0xFF0064C8u},  // the largest art there is
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utils::WideToUtf8(c.scale));
    RenderRun run = Render(L"Render.xml " + Out() + L" --rects --scale " + c.scale);
    ASSERT_EQ(run.exitCode, 0u);
    SkinUI::Bitmap b = Picture();
    EXPECT_EQ(b.width, c.width);
    EXPECT_EQ(b.height, c.height);
    const Rect go = ParseRect(quillon_test::TabLines(run.out).at(5).at(1));
    EXPECT_EQ(b.At((go.left + go.right) / 2, (go.top + go.bottom) / 2), c.button);
    run = Render(L"Render.xml " + Out() + L" --rects --select pages=1 --scale " + c.scale);
    ASSERT_EQ(run.exitCode, 0u);
    EXPECT_EQ(quillon_test::TabLines(run.out).at(7).at(1), c.bar);
  }
  for (const wchar_t* bad : {L"0.5", L"3.5", L"x", L"", L"1.5.5", L"-2"})
    EXPECT_EQ(Render(L"Render.xml " + Out() + L" --scale \"" + bad + L"\"").exitCode, 2u) << Utils::WideToUtf8(bad);
}

TEST_F(SkinRender, FailuresExitWithTheirCodes) {
  EXPECT_EQ(Render(L"Broken.xml " + Out()).exitCode, 1u);
  EXPECT_EQ(Render(L"Absent.xml " + Out()).exitCode, 1u);
  EXPECT_EQ(Render(L"Render.xml " + Out() + L" --select nobody=1").exitCode, 2u);
  EXPECT_EQ(Render(L"Render.xml " + Out() + L" --select pages=5").exitCode, 2u);
  EXPECT_EQ(Render(L"Render.xml").exitCode, 2u);
}

// The package linked into the program: every layout of the product builds
// and has the controls its window looks up.
TEST_F(SkinRender, TheEmbeddedLayoutsBuild) {
  const std::pair<const wchar_t*, std::vector<std::string>> layouts[] = {
      {L"MainWnd.xml",
       {"winCtn", "titleTabLt", "mainTabLt", "titleGrpCtn", "backBtn", "minbtn", "closebtn", "bTitleLbl1",
        "bTitleLbl2", "bTitleLbl3", "installLogo", "defaultInstallBtn", "treatyCb", "treatyBtn", "serviceCb",
        "tipLbl", "lbLanguage", "languageCombo", "customeBtn", "lbInstallPath", "installDirEdit", "chDirBtn",
        "createDSCb", "createQSCb", "customeInstallBtn", "progressAnLb", "progressLb", "installPrg",
        "finishedLbl", "softNameLbl", "openProduceBtn"}},
      {L"MessageBox1Wnd.xml", {"closebtn", "textLbl", "captionLbl"}},
      {L"MessageBox2Wnd.xml", {"closebtn", "textLbl", "captionLbl"}},
      {L"ExitTipWnd.xml", {"okBtn", "cancelBtn", "closebtn"}},
      {L"NetworkTipWnd.xml", {"okBtn", "cancelBtn", "closebtn"}},
      {L"InstalledPathTipWnd.xml", {"okBtn", "cancelBtn", "closebtn"}},
  };
  for (const auto& l : layouts) {
    RenderRun run = Render(std::wstring(l.first) + L" " + Out() + L" --rects", false);
    ASSERT_EQ(run.exitCode, 0u) << Utils::WideToUtf8(l.first);
    std::vector<std::string> names;
    for (const auto& line : quillon_test::TabLines(run.out)) names.push_back(line.at(0));
    for (const std::string& want : l.second)
      EXPECT_NE(std::find(names.begin(), names.end(), want), names.end()) << want;
  }
}

// The real start and installing pages, probed where the markup says what
// must be there.
TEST_F(SkinRender, TheMainWindowDrawsWhatItsMarkupSays) {
  SkinUI::Bitmap background;
  std::string error;
  ASSERT_TRUE(SkinUI::DecodePng(quillon_test::ReadBytes(std::string(SKINUI_RES_DIR) + "/res/mainWnd/bg1.png"),
                                &background, &error))
      << error;

  RenderRun normal = Render(L"mainWnd.xml " + Out() + L" --rects", false);
  ASSERT_EQ(normal.exitCode, 0u);
  Rect button, bar;
  for (const auto& line : quillon_test::TabLines(normal.out)) {
    if (line.at(0) == "defaultInstallBtn") button = ParseRect(line.at(1));
  }
  ASSERT_GT(button.right, button.left);
  const SkinUI::Bitmap start = Picture();
  ASSERT_EQ(start.width, 600);
  ASSERT_EQ(start.height, 400);
  // A corner of the page that no control covers shows the page background.
  EXPECT_EQ(start.At(8, 230), background.At(8, 230));
  const int bx = button.left + 6, by = (button.top + button.bottom) / 2;
  RenderRun hot = Render(L"mainWnd.xml " + Out() + L" --state defaultInstallBtn=hot", false);
  ASSERT_EQ(hot.exitCode, 0u);
  EXPECT_NE(Picture().At(bx, by), start.At(bx, by)) << "the hot image differs from the normal one";

  RenderRun installing = Render(L"mainWnd.xml " + Out() + L" --select mainTabLt=2 --value installPrg=35 --rects", false);
  ASSERT_EQ(installing.exitCode, 0u);
  for (const auto& line : quillon_test::TabLines(installing.out)) {
    if (line.at(0) == "installPrg") bar = ParseRect(line.at(1));
  }
  ASSERT_GT(bar.right - bar.left, 100);
  const SkinUI::Bitmap page = Picture();
  const int y = (bar.top + bar.bottom) / 2;
  const int fillEnd = bar.left + (bar.right - bar.left) * 35 / 100;
  // Fill up to 35 % of the width, the track after it.
  EXPECT_EQ(page.At(fillEnd - 3, y), page.At(bar.left + 20, y));
  EXPECT_EQ(page.At(fillEnd + 3, y), page.At(bar.right - 20, y));
  EXPECT_NE(page.At(fillEnd - 3, y), page.At(fillEnd + 3, y));
}

}  // namespace
