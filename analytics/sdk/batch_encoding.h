// The wire form of a batch: a JSON array of records, gzip-compressed,
// Base64-encoded, percent-encoded, sent as the form body
// "data_list=<encoded>&gzip=1". Pure functions.
#pragma once

#include <string>
#include <vector>

namespace analytics_sdk {

// "[" + records joined by "," + "]".
std::string SerializeBatch(const std::vector<std::string>& records);

// zlib at level 9 with the gzip wrapper. False, with the reason on the SDK
// error stream, when zlib fails.
bool Gzip(const std::string& text, std::string* compressed);

// RFC 4648 standard alphabet with '=' padding.
std::string Base64Encode(const std::string& bytes);

// Letters, digits and "-._~" stay; every other byte becomes %XX (upper case).
std::string PercentEncode(const std::string& text);

// The form body for a batch text; false when compression fails.
bool EncodeBatch(const std::string& batch, std::string* body);

}  // namespace analytics_sdk
