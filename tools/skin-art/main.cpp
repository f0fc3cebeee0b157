// skin-art: draws the installer's skin images.
//   skin-art --out DIR            every PNG of the package under DIR (res/res),
//                                 at 1x and, as NAME@2x.png beside it, at 2x
//   skin-art --preview FILE.png   a contact sheet of every image
//   skin-art --zoom FILE.png      the small images magnified four times
//   skin-art --language FILE      the package's language table
// The pages and prompts themselves are tools/skin-render's to draw.
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "art.h"
#include "png_writer.h"
#include "texts.h"
#include "preview.h"

namespace {

bool MakeDirs(const std::string& path) {
  for (size_t i = 1; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '/') {
      std::string part = path.substr(0, i);
      if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
  }
  return true;
}

bool Save(const std::string& path, const skinart::Canvas& c, size_t* bytes = nullptr) {
  std::vector<uint8_t> png = skinart::EncodePng(c.ToRgba8(), c.width(), c.height());
  if (bytes) *bytes = png.size();
  return skinart::WriteFile(path, png);
}

int Usage() {
  std::fprintf(stderr, "usage: skin-art [--out DIR] [--preview FILE.png] [--zoom FILE.png] [--language FILE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::string out, preview, zoom, language;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    if (i + 1 >= argc) return Usage();
    if (a == "--out") out = argv[++i];
    else if (a == "--preview") preview = argv[++i];
    else if (a == "--zoom") zoom = argv[++i];
    else if (a == "--language") language = argv[++i];
    else return Usage();
  }
  if (out.empty() && preview.empty() && language.empty() && zoom.empty()) return Usage();

  std::vector<skinart::Image> images = skinart::DrawAll();
  if (!out.empty()) {
    for (int scale : skinart::kScales) {
      std::vector<skinart::Image> set = skinart::DrawAll(scale);
      size_t total = 0;
      for (const skinart::Image& im : set) {
        std::string path = out + "/" + im.path;
        size_t bytes = 0;
        if (!MakeDirs(path.substr(0, path.rfind('/'))) || !Save(path, im.canvas, &bytes)) {
          std::fprintf(stderr, "skin-art: cannot write %s\n", path.c_str());
          return 1;
        }
        total += bytes;
      }
      std::printf("%dx: %zu images, %zu bytes\n", scale, set.size(), total);
    }
  }
  if (!language.empty()) {
    std::string json = skinart::LanguageJson();
    if (!skinart::WriteFile(language, std::vector<uint8_t>(json.begin(), json.end()))) {
      std::fprintf(stderr, "skin-art: cannot write %s\n", language.c_str());
      return 1;
    }
  }
  if (!preview.empty() && !Save(preview, skinart::ContactSheet(images))) {
    std::fprintf(stderr, "skin-art: cannot write %s\n", preview.c_str());
    return 1;
  }
  if (!zoom.empty() && !Save(zoom, skinart::ZoomSheet(images, 4))) {
    std::fprintf(stderr, "skin-art: cannot write %s\n", zoom.c_str());
    return 1;
  }
  return 0;
}
