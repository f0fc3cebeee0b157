#include "uikit/image_cache.h"

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
