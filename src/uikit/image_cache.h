// Decoded images by name. A name is looked up with backslashes turned into
// slashes and letters compared ignoring case, as package entries are found,
// so "res\mainWnd\bg1.png" and "res/mainwnd/bg1.png" share one entry.
// Failures are cached as well: a missing or broken image costs one load, not
// one per paint. Pointers stay valid until Clear() or destruction.
// Thread-safe (one lock), though painting uses it from the UI thread only.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

#include "uikit/bitmap.h"

namespace SkinUI {

class ImageCache {
 public:
  // Returns false when the name has no bytes (missing file).
  using Loader = std::function<bool(const std::string& name, std::string* bytes)>;

  explicit ImageCache(Loader loader);

  // Null when the image is missing or cannot be decoded.
  const Bitmap* Get(const std::string& name);
  // The art for a display scale (geometry.h): above 1x, the image drawn at
  // the smallest whole scale at or above it ("NAME@2x.png" beside
  // "NAME.png", or @3x), else the largest drawn below it, else the 1x one.
  // Art drawn at a scale is exactly that many times the 1x image's size.
  struct Scaled {
    const Bitmap* bitmap = nullptr;
    int art = 1;  // the scale the bitmap was drawn at
  };
  Scaled GetForDpi(const std::string& name, int dpi);
  static constexpr int kMaxArtScale = 3;
  // "a/b.png" drawn at 2x is "a/b@2x.png".
  static std::string ArtName(const std::string& name, int art);
  // Installs an already decoded image under a name (generated art, tests).
  void Put(const std::string& name, Bitmap bitmap);
  void Clear();
  int LoadCount() const;  // loader calls so far

  static std::string NormalizeName(const std::string& name);

 private:
  Loader loader_;
  mutable std::mutex mutex_;
  std::map<std::string, std::unique_ptr<Bitmap>> entries_;  // null: failed
  int loads_ = 0;
};

}  // namespace SkinUI
