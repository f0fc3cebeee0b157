#include "uikit/image_cache.h"

#include "uikit/geometry.h"
#include "uikit/png.h"

namespace SkinUI {

ImageCache::ImageCache(Loader loader) : loader_(std::move(loader)) {}

std::string ImageCache::NormalizeName(const std::string& name) {
  std::string key = name;
  for (char& c : key) {
    if (c == '\\') c = '/';
    else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return key;
}

const Bitmap* ImageCache::Get(const std::string& name) {
  if (name.empty()) return nullptr;
  const std::string key = NormalizeName(name);
  std::lock_guard<std::mutex> lock(mutex_);
  auto it = entries_.find(key);
  if (it != entries_.end()) return it->second.get();
  std::unique_ptr<Bitmap> bitmap;
  std::string bytes;
  ++loads_;
  if (loader_ && loader_(name, &bytes)) {
    auto decoded = std::make_unique<Bitmap>();
    if (DecodePng(bytes, decoded.get(), nullptr)) bitmap = std::move(decoded);
  }
  return entries_.emplace(key, std::move(bitmap)).first->second.get();
}

std::string ImageCache::ArtName(const std::string& name, int art) {
  if (art <= 1) return name;
  const size_t slash = name.find_last_of("/\\");
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) dot = name.size();
  return name.substr(0, dot) + "@" + std::to_string(art) + "x" + name.substr(dot);
}

ImageCache::Scaled ImageCache::GetForDpi(const std::string& name, int dpi) {
  dpi = ClampDpi(dpi);
  if (dpi > kBaseDpi && !name.empty()) {
    const int wanted = (dpi + kBaseDpi - 1) / kBaseDpi;
    for (int art = wanted; art <= kMaxArtScale; ++art)
      if (const Bitmap* b = Get(ArtName(name, art))) return {b, art};
    for (int art = wanted - 1; art >= 2; --art)
      if (const Bitmap* b = Get(ArtName(name, art))) return {b, art};
  }
  return {Get(name), 1};
}

void ImageCache::Put(const std::string& name, Bitmap bitmap) {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_[NormalizeName(name)] = std::make_unique<Bitmap>(std::move(bitmap));
}

void ImageCache::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  entries_.clear();
}

int ImageCache::LoadCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return loads_;
}

}  // namespace SkinUI
