// Toolkit core: opening the embedded skin package (and finding every entry),
// building each layout, a full paint of the main window at 600 x 400 and one
// spinner frame repainted through the dirty rectangle of its control.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "uikit/container.h"
#include "uikit/dialog_builder.h"
#include "uikit/label.h"
#include "uikit/package.h"
#include "uikit/paint_manager.h"
#include "uikit/resource.h"

namespace {

using namespace SkinUI;

const char* const kLayouts[] = {"mainWnd.xml", "MessageBox1Wnd.xml", "MessageBox2Wnd.xml",
                                "exitTipWnd.xml", "NetworkTipWnd.xml", "InstalledPathTipWnd.xml"};

const std::string& SkinBytes() {
  static const std::string bytes = [] {
    std::string b;
    FindEmbeddedResource(kSkinResourceType, kSkinResourceId, &b);
    return b;
  }();
  return bytes;
}

const SkinPackage& Package() {
  static const std::unique_ptr<SkinPackage> pkg = [] {
    std::string error;
    return SkinPackage::Open(SkinBytes().data(), SkinBytes().size(), &error);
  }();
  return *pkg;
}

// The installer's spinner is a frame-sequence label; here a plain label
// whose background the benchmark swaps.
struct SpinnerAsLabel : IDialogBuilderCallback {
  Control* CreateControl(const std::string& name) override {
    return name == "SequenceLabel" || name == "SequenceButton" ? new Label : nullptr;
  }
};

struct Window {
  CPaintManagerUI pm;
  std::unique_ptr<GlyphSource> glyphs = CreateGlyphSource();
  Bitmap canvas;
  std::unique_ptr<Surface> surface;
  bool Build(const char* layout) {
    pm.SetImageLoader([](const std::string& name, std::string* bytes) {
      std::string ignored;
      return Package().ReadEntry(name, bytes, &ignored);
    });
    pm.SetGlyphSource(glyphs.get());
    CDialogBuilder b;
    SpinnerAsLabel cb;
    std::unique_ptr<Control> root = b.Create(layout, Package(), &cb, &pm);
    if (!root) return false;
    const Size size = pm.Window().size.cx > 0 ? pm.Window().size : Size{600, 400};
    pm.SetClientSize(size);
    pm.AttachRoot(std::move(root));
    canvas.width = size.cx;
    canvas.height = size.cy;
    canvas.pixels.assign(static_cast<size_t>(size.cx) * size.cy, 0);
    surface = std::make_unique<Surface>(canvas);
    return true;
  }
};

void OpenPackage(benchmark::State& state) {
  const std::string& bytes = SkinBytes();
  if (bytes.empty()) return state.SkipWithError("no embedded skin");
  for (auto _ : state) {
    std::string error;
    std::unique_ptr<SkinPackage> pkg = SkinPackage::Open(bytes.data(), bytes.size(), &error);
    size_t found = 0;
    for (const SkinPackage::Entry& e : pkg->Entries()) found += pkg->Find(e.path) != nullptr;
    benchmark::DoNotOptimize(found);
  }
}
BENCHMARK(OpenPackage)->Unit(benchmark::kMillisecond);

void BuildLayout(benchmark::State& state) {
  const char* layout = kLayouts[state.range(0)];
  state.SetLabel(layout);
  for (auto _ : state) {
    CPaintManagerUI pm;
    CDialogBuilder b;
    SpinnerAsLabel cb;
    std::unique_ptr<Control> root = b.Create(layout, Package(), &cb, &pm);
    if (!root) return state.SkipWithError(b.GetLastError().c_str());
    benchmark::DoNotOptimize(root.get());
  }
}
BENCHMARK(BuildLayout)->DenseRange(0, 5)->Unit(benchmark::kMicrosecond);

// Images are decoded on the first paint and cached; this measures the paints after it.
void FullPaintMainWindow(benchmark::State& state) {
  Window w;
  if (!w.Build("mainWnd.xml")) return state.SkipWithError("mainWnd.xml does not build");
  w.pm.PaintAll(*w.surface);
  for (auto _ : state) {
    w.pm.PaintAll(*w.surface);
    benchmark::DoNotOptimize(w.canvas.pixels.data());
  }
}
BENCHMARK(FullPaintMainWindow)->Unit(benchmark::kMicrosecond);

void SpinnerFrame(benchmark::State& state) {
  Window w;
  if (!w.Build("mainWnd.xml")) return state.SkipWithError("mainWnd.xml does not build");
  if (auto* tab = static_cast<TabLayout*>(w.pm.FindControl("mainTabLt"))) tab->SelectItem(2);
  Control* spinner = w.pm.FindControl("progressAnLb");
  if (!spinner) return state.SkipWithError("no progressAnLb");
  w.pm.PaintAll(*w.surface);
  // Every frame decoded once before timing, as after the first turn.
  char name[64];
  for (int i = 0; i < 60; ++i) {
    std::snprintf(name, sizeof name, "res\\mainWnd\\installBtnAnimate\\%03d.png", i);
    w.pm.Images().Get(name);
  }
  int frame = 0;
  for (auto _ : state) {
    std::snprintf(name, sizeof name, "res\\mainWnd\\installBtnAnimate\\%03d.png", frame);
    frame = (frame + 1) % 60;
    spinner->SetBkImage(name);
    benchmark::DoNotOptimize(w.pm.Paint(*w.surface));
  }
}
BENCHMARK(SpinnerFrame)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
