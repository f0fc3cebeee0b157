// skin-render: builds a layout of the skin package, lays it out at its
// "size", paints it without a window and writes the client area as a PNG.
//
//   skin-render LAYOUT --out FILE.png [--package FILE.7z]
//       [--select NAME=INDEX] [--state NAME=hot|pushed|disabled|selected]
//       [--text NAME=TEXT] [--value NAME=N] [--attribute NAME=ATTR=VALUE]
//       [--play NAME=MS] [--fit NAME] [--language 0|1|2] [--scale S] [--rects]
//
// --play starts a frame-sequence control's animation and runs the window's
// clock MS milliseconds on, so the picture shows the frame it reaches.
// --fit gives a label the width its text needs plus its left text padding,
// as the installer's window does for "lbLanguage", "lbInstallPath" and
// "backBtn" whenever a language is applied.
// Without --package the package linked into this program is used. --rects
// prints "name<TAB>left,top,right,bottom" per named control in tree order.
// --scale draws at a display scale from 1 to 3 ("1.5", "2"; default 1): the
// picture, the fonts and the art are those of a screen at S x 96 DPI, and
// --rects prints the rectangles at that scale.
// Exit codes: 0 done, 1 the layout or package could not be read (the
// reader's or parser's text on standard error), 2 bad arguments or a name
// that is not in the layout, 3 the PNG could not be written.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "ui/localization.h"
#include "ui/sequence_controls.h"
#include "uikit/button.h"
#include "uikit/combo.h"
#include "uikit/container.h"
#include "uikit/dialog_builder.h"
#include "uikit/label.h"
#include "uikit/package.h"
#include "uikit/paint_manager.h"
#include "uikit/png.h"
#include "uikit/progress.h"
#include "uikit/resource.h"
#include "uikit/text.h"
#include "uikit/text_table.h"
#include "uikit/values.h"

namespace {

using namespace SkinUI;

// The installer's frame-sequence controls, as its windows create them.
struct RenderCallback : SequenceControlFactory {};

struct Options {
  std::string layout, out, package;
  std::vector<std::pair<std::string, std::string>> select, state, text, value, attribute, play;
  std::vector<std::string> fit;
  bool rects = false;
  int language = 0;  // the installer's default: en-US
  int dpi = kBaseDpi;
};

// "2", "1.5", "1.25" as DPI (96 per unit), rounded to the nearest; decimal
// digits alone, so the result never depends on floating point.
bool ParseScale(const std::string& v, int* dpi) {
  int64_t whole = 0, frac = 0, unit = 1;
  size_t i = 0;
  for (; i < v.size() && v[i] >= '0' && v[i] <= '9' && i < 3; ++i) whole = whole * 10 + (v[i] - '0');
  if (i == 0) return false;
  if (i < v.size() && v[i] == '.') {
    for (++i; i < v.size() && v[i] >= '0' && v[i] <= '9' && unit < 1000000; ++i) {
      frac = frac * 10 + (v[i] - '0');
      unit *= 10;
    }
  }
  if (i != v.size()) return false;
  const int64_t d = whole * kBaseDpi + (frac * kBaseDpi + unit / 2) / unit;
  if (d < kBaseDpi || d > kMaxDpi) return false;
  *dpi = static_cast<int>(d);
  return true;
}

int Usage(const std::string& why) {
  std::cerr << "skin-render: " << why << "\n"
            << "usage: skin-render LAYOUT --out FILE.png [--package FILE.7z] [--select NAME=INDEX]\n"
            << "       [--state NAME=hot|pushed|disabled|selected] [--text NAME=TEXT] [--value NAME=N]\n"
            << "       [--attribute NAME=ATTR=VALUE] [--play NAME=MS] [--fit NAME] [--language 0|1|2] [--scale S]\n"
            << "       [--rects]\n";
  return 2;
}

bool SplitPair(const std::string& arg, std::pair<std::string, std::string>* out) {
  const size_t eq = arg.find('=');
  if (eq == std::string::npos || eq == 0) return false;
  *out = {arg.substr(0, eq), arg.substr(eq + 1)};
  return true;
}

bool ParseArgs(int argc, char** argv, Options* o, std::string* why) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    auto next = [&](std::string* v) {
      if (i + 1 >= argc) return false;
      *v = argv[++i];
      return true;
    };
    auto pair = [&](std::vector<std::pair<std::string, std::string>>* list) {
      std::string v;
      std::pair<std::string, std::string> p;
      if (!next(&v) || !SplitPair(v, &p)) return false;
      list->push_back(p);
      return true;
    };
    bool ok = true;
    if (a == "--out") ok = next(&o->out);
    else if (a == "--package") ok = next(&o->package);
    else if (a == "--select") ok = pair(&o->select);
    else if (a == "--state") ok = pair(&o->state);
    else if (a == "--text") ok = pair(&o->text);
    else if (a == "--value") ok = pair(&o->value);
    else if (a == "--attribute") ok = pair(&o->attribute);
    else if (a == "--play") ok = pair(&o->play);
    else if (a == "--rects") o->rects = true;
    else if (a == "--scale") {
      std::string v;
      ok = next(&v) && ParseScale(v, &o->dpi);
    }
    else if (a == "--fit") {
      std::string v;
      ok = next(&v);
      if (ok) o->fit.push_back(v);
    }
    else if (a == "--language") {
      std::string v;
      ok = next(&v) && (v == "0" || v == "1" || v == "2");
      if (ok) o->language = v[0] - '0';
    }
    else if (!a.empty() && a[0] == '-') ok = false;
    else if (o->layout.empty()) o->layout = a;
    else ok = false;
    if (!ok) {
      *why = "bad argument " + a;
      return false;
    }
  }
  if (o->layout.empty() || o->out.empty()) {
    *why = "a layout and --out are needed";
    return false;
  }
  return true;
}

std::unique_ptr<SkinPackage> OpenPackage(const Options& o, std::string* error) {
  std::string bytes;
  if (!o.package.empty()) {
    std::ifstream in(o.package, std::ios::binary);
    if (!in) {
      *error = "Error opening file";
      return nullptr;
    }
    std::ostringstream s;
    s << in.rdbuf();
    bytes = s.str();
  } else if (!FindEmbeddedResource(kSkinResourceType, kSkinResourceId, &bytes)) {
    *error = "Error opening zip file";
    return nullptr;
  }
  return SkinPackage::Open(bytes.data(), bytes.size(), error);
}

// Applies one --select/--attribute/--state/--text/--value; false names the fault.
bool Apply(CPaintManagerUI& pm, const std::string& kind, const std::pair<std::string, std::string>& p,
           std::string* why) {
  Control* c = pm.FindControl(p.first);
  if (!c) {
    *why = "no control named " + p.first;
    return false;
  }
  int n = 0;
  if (kind == "select") {
    if (!ParseInt(p.second, &n)) return *why = "bad index " + p.second, false;
    if (auto* tab = static_cast<TabLayout*>(c->GetInterface("TabLayout"))) return tab->SelectItem(n) || (*why = "no item " + p.second, false);
    if (auto* combo = static_cast<Combo*>(c->GetInterface("Combo"))) return combo->SelectItem(n) || (*why = "no item " + p.second, false);
    return *why = p.first + " has no items", false;
  }
  if (kind == "state") {
    auto* button = static_cast<Button*>(c->GetInterface("Button"));
    if (p.second == "disabled") c->SetEnabled(false);
    else if (p.second == "hot" && button) button->SetHot(true);
    else if (p.second == "pushed" && button) button->SetPushed(true);
    else if (p.second == "selected" && c->GetInterface("Option")) static_cast<Option*>(c->GetInterface("Option"))->Selected(true);
    else return *why = "state " + p.second + " does not apply to " + p.first, false;
    return true;
  }
  if (kind == "text") {
    c->SetText(p.second);
    return true;
  }
  if (kind == "attribute") {
    const size_t eq = p.second.find('=');
    if (eq == std::string::npos || eq == 0) return *why = "bad attribute " + p.second, false;
    c->SetAttribute(p.second.substr(0, eq), p.second.substr(eq + 1));
    return true;
  }
  if (kind == "play") {
    if (!ParseInt(p.second, &n) || n < 0) return *why = "bad time " + p.second, false;
    bool started = false;
    if (auto* label = static_cast<CSequenceLabelUI*>(c->GetInterface("SequenceLabel"))) started = label->Start();
    else if (auto* button = static_cast<CSequenceButtonUI*>(c->GetInterface("SequenceButton"))) started = button->Start();
    else return *why = p.first + " is no frame sequence", false;
    if (!started) return *why = p.first + " cannot play", false;
    pm.AdvanceClock(static_cast<uint64_t>(n));
    return true;
  }
  auto* progress = static_cast<Progress*>(c->GetInterface("Progress"));
  if (!progress || !ParseInt(p.second, &n)) return *why = "bad value for " + p.first, false;
  progress->SetValue(n);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  std::string why;
  if (!ParseArgs(argc, argv, &o, &why)) return Usage(why);

  std::string error;
  std::unique_ptr<SkinPackage> package = OpenPackage(o, &error);
  if (!package) {
    std::cerr << error << "\n";
    return 1;
  }
  CPaintManagerUI pm;
  pm.SetDpi(o.dpi);
  const SkinPackage* pkg = package.get();
  // The window's texts as the installer shows them in that language.
  Localization::LoadLanguage(
      [pkg](const std::string& name, std::string* bytes) {
        std::string ignored;
        return pkg->ReadEntry(name, bytes, &ignored);
      },
      o.language, L"");
  pm.SetImageLoader([pkg](const std::string& name, std::string* bytes) {
    std::string ignored;
    return pkg->ReadEntry(name, bytes, &ignored);
  });
  std::unique_ptr<GlyphSource> glyphs = CreateGlyphSource();
  pm.SetGlyphSource(glyphs.get());

  CDialogBuilder builder;
  RenderCallback callback;
  std::unique_ptr<Control> root = builder.Create(o.layout, *package, &callback, &pm);
  if (!root) {
    std::cerr << builder.GetLastError() << "\n";
    return 1;
  }
  Size size = pm.Window().size;
  if (size.cx <= 0 || size.cy <= 0) size = {600, 400};
  size = pm.Scale(size);
  pm.SetClientSize(size);
  pm.AttachRoot(std::move(root));

  const std::pair<const char*, const std::vector<std::pair<std::string, std::string>>*> steps[] = {
      {"select", &o.select}, {"attribute", &o.attribute}, {"state", &o.state}, {"text", &o.text},
      {"value", &o.value}, {"play", &o.play}};
  for (const auto& step : steps)
    for (const auto& p : *step.second)
      if (!Apply(pm, step.first, p, &why)) return Usage(why);
  for (const std::string& name : o.fit) {
    Control* c = pm.FindControl(name);
    auto* label = c ? static_cast<Label*>(c->GetInterface("Label")) : nullptr;
    if (!label) return Usage("no label named " + name);
    label->FitWidthToText(glyphs.get(), true);
    pm.NeedUpdate();
  }

  Bitmap canvas;
  canvas.width = size.cx;
  canvas.height = size.cy;
  canvas.pixels.assign(static_cast<size_t>(size.cx) * size.cy, 0);
  Surface surface(canvas);
  pm.PaintAll(surface);

  const std::string png = EncodePng(canvas);
  std::ofstream out(o.out, std::ios::binary);
  if (!out || !out.write(png.data(), static_cast<std::streamsize>(png.size()))) {
    std::cerr << "cannot write " << o.out << "\n";
    return 3;
  }
  if (o.rects) {
    pm.GetRoot()->ForEach([](Control& c) {
      if (c.GetName().empty()) return;
      const Rect& r = c.GetPos();
      std::printf("%s\t%d,%d,%d,%d\n", c.GetName().c_str(), r.left, r.top, r.right, r.bottom);
    });
  }
  return 0;
}
