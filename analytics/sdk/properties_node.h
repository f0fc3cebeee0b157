// The caller's side of a record: typed setters that refuse what the
// collector must never see (over-long or malformed strings).
//
// A plain value like ObjectNode; no locks.
#pragma once

#include <cstdint>
#include <string>

#include "value_node.h"

namespace analytics_sdk {
namespace utils {

class PropertiesNode : public ObjectNode {
 public:
  // False, with the key left unset and the reason on the SDK error stream,
  // when the value is longer than kMaxStringPropertyBytes or not valid UTF-8.
  bool SetString(const std::string& key, const std::string& value);
  void SetNumber(const std::string& key, double value);
  void SetInteger(const std::string& key, int64_t value);
  void SetBool(const std::string& key, bool value);

  // Every key must be a valid name; `message` gets the first failure.
  bool CheckKeys(std::string* message) const;
};

}  // namespace utils
}  // namespace analytics_sdk
