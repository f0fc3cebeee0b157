// Undoing the analytics form body: "data_list=<percent-encoded Base64 of a
// gzip stream>&gzip=1" back to the batch text. Strict: anything the SDK
// would never send is refused with a reason, so that the collector catches
// encoding faults instead of guessing.
#pragma once

#include <string>

namespace collector {

// %XX (either case) to the byte; other bytes must be unreserved
// (letters, digits, "-._~").
bool PercentDecode(const std::string& text, std::string* bytes, std::string* error);
// Standard alphabet, length a multiple of four, '=' padding only at the end.
bool Base64Decode(const std::string& text, std::string* bytes, std::string* error);
// One complete gzip member and nothing after it.
bool Gunzip(const std::string& compressed, std::string* text, std::string* error);
// The whole chain, from the form body to the batch text.
bool DecodeFormBody(const std::string& body, std::string* batch, std::string* error);

}  // namespace collector
