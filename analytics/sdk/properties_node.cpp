#include "properties_node.h"

#include "error_log.h"
#include "validation.h"

namespace analytics_sdk {
namespace utils {

bool PropertiesNode::SetString(const std::string& key, const std::string& value) {
  if (value.size() > kMaxStringPropertyBytes) {
    LogError("String property '" + key + "' is too long, value: " + value);
    return false;
  }
  if (!IsValidUtf8(value)) {
    LogError("String property '" + key + "' is not valid UTF-8 string, value: " + value);
    return false;
  }
  Set(key, ValueNode::String(value));
  return true;
}

void PropertiesNode::SetNumber(const std::string& key, double value) {
  Set(key, ValueNode::Number(value));
}

void PropertiesNode::SetInteger(const std::string& key, int64_t value) {
  Set(key, ValueNode::Integer(value));
}

void PropertiesNode::SetBool(const std::string& key, bool value) {
  Set(key, ValueNode::Bool(value));
}

bool PropertiesNode::CheckKeys(std::string* message) const {
  for (const auto& entry : entries_) {
    if (!CheckName("Property Key", entry.first, message)) return false;
  }
  return true;
}

}  // namespace utils
}  // namespace analytics_sdk
