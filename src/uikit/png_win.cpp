#include <windows.h>

#include <objidl.h>

#include <algorithm>
namespace Gdiplus {
using std::max;
using std::min;
}  // namespace Gdiplus
#include <gdiplus.h>

#include <cstring>

#include "uikit/png.h"
#include "uikit/png_check.h"

namespace SkinUI {
namespace {

// GDI+ is started once, on first use, and stays up for the life of the
// process: shutting it down while another thread decodes would be unsafe,
// and the process exit releases it.
bool StartGdiplus() {
  static const bool started = [] {
    ULONG_PTR token = 0;
    Gdiplus::GdiplusStartupInput input;
    return Gdiplus::GdiplusStartup(&token, &input, nullptr) == Gdiplus::Ok;
  }();
  return started;
}

struct StreamHolder {
  IStream* stream = nullptr;
  ~StreamHolder() {
    if (stream) stream->Release();
  }
};

}  // namespace

bool DecodePng(const std::string& bytes, Bitmap* out, std::string* error) {
  *out = Bitmap{};
  int width = 0, height = 0;
  if (!CheckPngStructure(bytes, &width, &height, error)) return false;
  if (!StartGdiplus()) {
    if (error) *error = "GDI+ could not be started";
    return false;
  }
  // CreateStreamOnHGlobal rather than SHCreateMemStream: the latter has no
  // exported name on XP.
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
  if (!memory) {
    if (error) *error = "out of memory";
    return false;
  }
  void* dst = GlobalLock(memory);
  std::memcpy(dst, bytes.data(), bytes.size());
  GlobalUnlock(memory);
  StreamHolder holder;
  if (FAILED(CreateStreamOnHGlobal(memory, TRUE, &holder.stream))) {
    GlobalFree(memory);
    if (error) *error = "no memory stream";
    return false;
  }
  Gdiplus::Bitmap image(holder.stream, FALSE);
  if (image.GetLastStatus() != Gdiplus::Ok || int(image.GetWidth()) != width || int(image.GetHeight()) != height) {
    if (error) *error = "PNG data could not be decoded";
    return false;
  }
  // Straight ARGB, premultiplied by us: GDI+'s own premultiplication rounds
  // differently, and both targets must hold the same pixels.
  Gdiplus::Rect rect(0, 0, width, height);
  Gdiplus::BitmapData data{};
  if (image.LockBits(&rect, Gdiplus::ImageLockModeRead, PixelFormat32bppARGB, &data) != Gdiplus::Ok) {
    if (error) *error = "PNG data could not be decoded";
    return false;
  }
  Bitmap bitmap;
  bitmap.width = width;
  bitmap.height = height;
  bitmap.pixels.resize(static_cast<size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const auto* row = reinterpret_cast<const Argb*>(static_cast<const BYTE*>(data.Scan0) + ptrdiff_t(y) * data.Stride);
    for (int x = 0; x < width; ++x) bitmap.pixels[size_t(y) * width + x] = Premultiply(row[x]);
  }
  image.UnlockBits(&data);
  *out = std::move(bitmap);
  return true;
}

}  // namespace SkinUI
