#include "support/setup_pilot.h"

#include <chrono>
#include <fstream>
#include <memory>
#include <set>
#include <string>
#include <thread>

#include "ui/sequence_controls.h"
#include "uikit/automation.h"
#include "uikit/container.h"
#include "uikit/dialog_builder.h"
#include "uikit/package.h"
#include "uikit/paint_manager.h"
#include "uikit/png.h"

namespace quillon_test {
namespace {

using Clock = std::chrono::steady_clock;

void Nap() { std::this_thread::sleep_for(std::chrono::milliseconds(50)); }

SkinUI::Bitmap Capture(const ScreenRect& area) {
  SkinUI::Bitmap out;
  int w = 0, h = 0;
  std::vector<uint32_t> pixels = ScreenPixels(area, &w, &h);
  out.width = w;
  out.height = h;
  out.pixels.assign(pixels.begin(), pixels.end());
  return out;
}

}  // namespace

int WindowDpi(const std::string& layout, const ScreenRect& window) {
  std::string error;
  const SkinUI::SkinPackage* package = SkinUI::OpenEmbeddedSkinPackage(&error);
  if (!package) return SkinUI::kBaseDpi;
  SkinUI::CPaintManagerUI pm;
  SkinUI::CDialogBuilder builder;
  SkinUI::SequenceControlFactory factory;
  if (!builder.Create(layout, *package, &factory, &pm) || pm.Window().size.cx <= 0) return SkinUI::kBaseDpi;
  // The one scale whose width is the window's.
  for (int dpi = SkinUI::kBaseDpi; dpi <= SkinUI::kMaxDpi; ++dpi)
    if (SkinUI::ScaleLength(pm.Window().size.cx, dpi) == window.Width()) return dpi;
  return SkinUI::kBaseDpi;
}

bool LayoutRect(const std::string& layout, const std::string& control, int page, SkinUI::Rect* rect, int dpi) {
  std::string error;
  const SkinUI::SkinPackage* package = SkinUI::OpenEmbeddedSkinPackage(&error);
  if (!package) return false;
  SkinUI::CPaintManagerUI pm;
  SkinUI::CDialogBuilder builder;
  SkinUI::SequenceControlFactory factory;
  std::unique_ptr<SkinUI::Control> root = builder.Create(layout, *package, &factory, &pm);
  if (!root) return false;
  pm.SetDpi(dpi);
  SkinUI::Size size = pm.Window().size;
  if (size.cx <= 0 || size.cy <= 0) size = {600, 400};
  pm.SetClientSize(pm.Scale(size));
  pm.AttachRoot(std::move(root));
  if (page >= 0) {
    auto* tab = pm.FindControl("mainTabLt");
    auto* layoutTab = tab ? static_cast<SkinUI::TabLayout*>(tab->GetInterface("TabLayout")) : nullptr;
    if (!layoutTab || !layoutTab->SelectItem(page)) return false;
    // What the window changes with the page: the title band's parts, and
    // the product's name on the finished page.
    const std::pair<const char*, bool> shown[] = {{"titleGrpCtn", page != 2},
                                                  {"installLogo", page == 2},
                                                  {"backBtn", page == 1},
                                                  {"softNameLbl", page == 3}};
    for (const auto& s : shown) {
      if (SkinUI::Control* c = pm.FindControl(s.first)) c->SetVisible(s.second);
    }
  }
  pm.NeedUpdate();
  pm.LayoutIfNeeded();
  SkinUI::Control* c = pm.FindControl(control);
  if (!c) return false;
  *rect = c->GetPos();
  return rect->right > rect->left && rect->bottom > rect->top;
}

bool WaitForWindow(const std::wstring& title, const std::string& className, int timeoutMs, ScreenRect* rect) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  do {
    if (FindTopLevelWindow(title, className, rect) && ScreenColours(*rect, 8) >= 8) return true;
    Nap();
  } while (Clock::now() < deadline);
  return false;
}

bool WaitForNoWindow(const std::wstring& title, const std::string& className, int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  ScreenRect ignored;
  do {
    if (!FindTopLevelWindow(title, className, &ignored)) return true;
    Nap();
  } while (Clock::now() < deadline);
  return false;
}

bool ClickControl(const ScreenRect& window, const std::string& layout, const std::string& control, int page) {
  SkinUI::Rect r;
  if (!LayoutRect(layout, control, page, &r, WindowDpi(layout, window))) return false;
  const SkinUI::Point centre{window.left + (r.left + r.right) / 2, window.top + (r.top + r.bottom) / 2};
  // Hover first, as a hand does: the button sees the pointer arrive.
  return SkinUI::Automation::ClickScreen(centre);
}

bool TypeText(const std::string& text) { return SkinUI::Automation::TypeText(text); }

int ScreenColours(const ScreenRect& area, int cap) {
  const SkinUI::Bitmap shot = Capture(area);
  std::set<SkinUI::Argb> colours;
  for (size_t i = 0; i < shot.pixels.size() && static_cast<int>(colours.size()) < cap; i += 3) {
    colours.insert(shot.pixels[i]);
  }
  return static_cast<int>(colours.size());
}

bool SaveScreenPng(const ScreenRect& area, const std::string& path) {
  const SkinUI::Bitmap shot = Capture(area);
  if (shot.IsEmpty()) return false;
  const std::string png = SkinUI::EncodePng(shot);
  std::ofstream out(path, std::ios::binary);
  return out && out.write(png.data(), static_cast<std::streamsize>(png.size()));
}

}  // namespace quillon_test
