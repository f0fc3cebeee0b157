#include "ui/skin_frame.h"

namespace SkinUI {

// The SDL host's windows are borderless from birth and X has no
// always-on-top bit of its own to drop.
void StripFrameStyles(WindowHost&, bool) {}

}  // namespace SkinUI
