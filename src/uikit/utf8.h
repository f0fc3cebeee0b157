// The toolkit's UTF-8 is the product's one codec (utils/utf8.h), under the
// toolkit's names.
#pragma once

#include "utils/utf8.h"

namespace SkinUI {

using Utils::AppendUtf8;
using Utils::DecodeUtf8;

}  // namespace SkinUI
