// The process-wide table of localised texts and the "%{n}" tokens that
// stand for them in any control text.
#pragma once

#include <optional>
#include <string>

namespace SkinUI {

// Adding an id that exists replaces its text.
void AddLocalText(int id, const std::string& text);
std::optional<std::string> LocalText(int id);
void ClearLocalTexts();  // for tests and tools; the installer only adds

// `text` with every "%{digits}" whose id is in the table replaced by that
// text; a token whose id is missing stays as written. Used wherever a text
// is drawn, measured or shown as a tooltip.
std::string ExpandTextTokens(const std::string& text);

}  // namespace SkinUI
