// The rules a record must pass before it is queued. Pure functions.
#pragma once

#include <cstddef>
#include <string>

namespace analytics_sdk {

// Longest string property value, in bytes.
constexpr size_t kMaxStringPropertyBytes = 8192;

// Well-formed UTF-8 without overlong forms or surrogates, where the only
// single bytes allowed are tab, line feed, carriage return and printable
// ASCII (0x20-0x7E). The empty string is valid.
bool IsValidUtf8(const std::string& bytes);

// Event names and property keys: 1-100 bytes, a letter, '$' or '_' first,
// then letters, digits, '$' or '_'. On failure `message` gets the reason,
// naming `label` ("Event Name", "Property Key").
bool CheckName(const std::string& label, const std::string& value, std::string* message);

// Ids: 1-255 bytes.
bool CheckId(const std::string& label, const std::string& value, std::string* message);

}  // namespace analytics_sdk
