#include "installer.h"

namespace Install {

// Any file with the executable format runs; there is no bit to set.
void PreparePackageFile(const std::wstring&) {}

}  // namespace Install
