// Internal to the PNG decoders.
#pragma once

#include <string>

namespace SkinUI {

// Signature, chunk lengths and CRCs, IHDR first with a size within
// kMaxPngSide, at least one IDAT, IEND reached. Fills the image size.
bool CheckPngStructure(const std::string& bytes, int* width, int* height, std::string* error);

}  // namespace SkinUI
