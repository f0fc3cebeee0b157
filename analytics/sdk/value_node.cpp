#include "value_node.h"

#include <cmath>
#include <locale>
#include <sstream>

namespace analytics_sdk {
namespace utils {

ValueNode ValueNode::Number(double value) {
  ValueNode v;
  v.type_ = ValueType::Number;
  v.number_ = value;
  return v;
}

ValueNode ValueNode::Integer(int64_t value) {
  ValueNode v;
  v.type_ = ValueType::Integer;
  v.integer_ = value;
  return v;
}

ValueNode ValueNode::String(std::string value) {
  ValueNode v;
  v.type_ = ValueType::String;
  v.string_ = std::move(value);
  return v;
}

ValueNode ValueNode::Bool(bool value) {
  ValueNode v;
  v.type_ = ValueType::Bool;
  v.bool_ = value;
  return v;
}

ValueNode ValueNode::Object(const ObjectNode& value) {
  ValueNode v;
  v.type_ = ValueType::Object;
  v.object_ = std::make_unique<ObjectNode>(value);
  return v;
}

ValueNode ValueNode::Object(ObjectNode&& value) {
  ValueNode v;
  v.type_ = ValueType::Object;
  v.object_ = std::make_unique<ObjectNode>(std::move(value));
  return v;
}

ValueNode::ValueNode(const ValueNode& other)
    : type_(other.type_),
      number_(other.number_),
      integer_(other.integer_),
      bool_(other.bool_),
      string_(other.string_),
      object_(other.object_ ? std::make_unique<ObjectNode>(*other.object_) : nullptr) {}

ValueNode& ValueNode::operator=(const ValueNode& other) {
  if (this != &other) {
    ValueNode copy(other);
    *this = std::move(copy);
  }
  return *this;
}

ValueNode::~ValueNode() = default;

void ValueNode::AppendJson(std::string* out) const {
  switch (type_) {
    case ValueType::Number:
      AppendJsonNumber(number_, out);
      break;
    case ValueType::Integer:
      *out += std::to_string(integer_);
      break;
    case ValueType::String:
      AppendJsonString(string_, out);
      break;
    case ValueType::Bool:
      *out += bool_ ? "true" : "false";
      break;
    case ValueType::Object:
      object_->AppendJson(out);
      break;
  }
}

void ObjectNode::Set(const std::string& key, ValueNode value) {
  entries_[key] = std::move(value);
}

void ObjectNode::Merge(const ObjectNode& other) {
  for (const auto& entry : other.entries_) entries_[entry.first] = entry.second;
}

const ValueNode* ObjectNode::Find(const std::string& key) const {
  auto it = entries_.find(key);
  return it == entries_.end() ? nullptr : &it->second;
}

void ObjectNode::AppendJson(std::string* out) const {
  *out += '{';
  bool first = true;
  for (const auto& entry : entries_) {
    if (!first) *out += ',';
    first = false;
    *out += '"';
    *out += entry.first;
    *out += "\":";
    entry.second.AppendJson(out);
  }
  *out += '}';
}

std::string ObjectNode::ToJson() const {
  std::string out;
  AppendJson(&out);
  return out;
}

void AppendJsonString(const std::string& text, std::string* out) {
  *out += '"';
  for (char c : text) {
    switch (c) {
      case '\b': *out += "\\b"; break;
      case '\t': *out += "\\t"; break;
      case '\n': *out += "\\n"; break;
      case '\f': *out += "\\f"; break;
      case '\r': *out += "\\r"; break;
      case '"': *out += "\\\""; break;
      case '\\': *out += "\\\\"; break;
      default: *out += c; break;
    }
  }
  *out += '"';
}

void AppendJsonNumber(double value, std::string* out) {
  if (!std::isfinite(value)) {
    *out += "null";
    return;
  }
  // The classic locale: a decimal comma would split the value in two.
  std::ostringstream stream;
  stream.imbue(std::locale::classic());
  stream << value;
  *out += stream.str();
}

}  // namespace utils
}  // namespace analytics_sdk
