// Screenshots of real windows for people to look at: a minimal PNG writer
// (one IDAT, zlib-compressed RGB rows), test-only.
#pragma once

#include <string>

#include "uikit/bitmap.h"

namespace host_test {

bool WritePng(const SkinUI::Bitmap& bitmap, const std::string& path);

// Writes `bitmap` as NAME.png into $QUILLON_SCREENSHOT_DIR when that is set.
void SaveScreenshot(const SkinUI::Bitmap& bitmap, const std::string& name);

}  // namespace host_test
