// What the system knows of a shown prompt: owned by its owner, no taskbar
// entry, no caption, no maximise box, not always-on-top. Empty when all
// hold, else what does not.
#pragma once

#include <string>

#include "uikit/window_host.h"

namespace prompt_test {

std::string PromptStyleFaults(const SkinUI::WindowHost& prompt, const SkinUI::WindowHost& owner);

}  // namespace prompt_test
