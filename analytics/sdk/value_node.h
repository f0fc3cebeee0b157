// Property values and the JSON objects the collector receives.
//
// An ObjectNode keeps its keys in ascending byte order, and that is the order
// in which it is written, so every object on the wire has sorted keys. The
// writer emits no white space and does not escape keys: record keys are
// validated names before they get here.
//
// Plain values: copy them freely, no sharing, no locks.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

namespace analytics_sdk {
namespace utils {

enum class ValueType { Number, Integer, String, Bool, Object };

class ObjectNode;

class ValueNode {
 public:
  ValueNode() = default;  // the integer 0
  static ValueNode Number(double value);
  static ValueNode Integer(int64_t value);
  static ValueNode String(std::string value);
  static ValueNode Bool(bool value);
  static ValueNode Object(const ObjectNode& value);
  static ValueNode Object(ObjectNode&& value);

  ValueNode(const ValueNode& other);
  ValueNode& operator=(const ValueNode& other);
  ValueNode(ValueNode&&) noexcept = default;
  ValueNode& operator=(ValueNode&&) noexcept = default;
  ~ValueNode();

  ValueType type() const { return type_; }
  double number() const { return number_; }
  int64_t integer() const { return integer_; }
  const std::string& string() const { return string_; }
  bool boolean() const { return bool_; }
  // Only for ValueType::Object.
  const ObjectNode& object() const { return *object_; }

  void AppendJson(std::string* out) const;

 private:
  ValueType type_ = ValueType::Integer;
  double number_ = 0;
  int64_t integer_ = 0;
  bool bool_ = false;
  std::string string_;
  std::unique_ptr<ObjectNode> object_;
};

class ObjectNode {
 public:
  using Entries = std::map<std::string, ValueNode>;

  // Replaces the value of an existing key.
  void Set(const std::string& key, ValueNode value);
  // Every entry of `other` on top of this object's entries.
  void Merge(const ObjectNode& other);
  const ValueNode* Find(const std::string& key) const;
  const Entries& entries() const { return entries_; }
  bool empty() const { return entries_.empty(); }
  size_t size() const { return entries_.size(); }

  void AppendJson(std::string* out) const;
  std::string ToJson() const;

 protected:
  Entries entries_;
};

// A JSON string: the seven two-character escapes, every other byte as it is.
void AppendJsonString(const std::string& text, std::string* out);
// Six significant digits, general notation (3.0 -> "3", 1234567.0 ->
// "1.23457e+06"). Infinities and NaN, which JSON cannot carry, become null:
// one such value would otherwise make its whole batch unreadable.
void AppendJsonNumber(double value, std::string* out);

}  // namespace utils
}  // namespace analytics_sdk
