// Reading what the collector (tests/fixtures/collector) printed: one JSON
// record a line. Header-only so that only the tests that read records link
// jsoncpp.
#pragma once

#include <json/json.h>

#include <memory>
#include <string>
#include <vector>

namespace quillon_test {

// A null value when the text is not JSON; `error` gets the reason.
inline Json::Value ParseRecord(const std::string& text, std::string* error = nullptr) {
  Json::CharReaderBuilder builder;
  std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
  Json::Value value;
  std::string reason;
  if (!reader->parse(text.data(), text.data() + text.size(), &value, &reason)) value = Json::Value();
  if (error) *error = reason;
  return value;
}

inline std::vector<std::string> RecordEvents(const std::vector<std::string>& records) {
  std::vector<std::string> events;
  for (const auto& record : records) events.push_back(ParseRecord(record)["event"].asString());
  return events;
}

}  // namespace quillon_test
