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
