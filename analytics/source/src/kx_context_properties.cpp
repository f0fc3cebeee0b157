#include "kx_context_properties.h"

#include "kx_exception.h"
#include "sdk/validation.h"
#include "utils/text.h"

namespace tarvix {
namespace analytics {

const char kABKey[] = "kxc_ab";

namespace {

constexpr char kFile[] = "KxContextProperties";

void CheckType(int type, const char* function) {
  if (type < 0 || type >= kKxEventTypeCount) {
    KX_THROW(kFile, function, "KxEvent[" + std::to_string(type) + "] overflow!");
  }
}

bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

void KxContextProperties::setProperty(const std::string& key, const std::string& value,
                                      const std::vector<int>& types) {
  if (!keys_.insert(key).second) KX_THROW(kFile, "setProperty", "Property[" + key + "] already exist!");
  for (int type : types) {
    CheckType(type, "setProperty");
    lists_[type].emplace_back(key, value);
  }
}

const KxContextProperties::Entries& KxContextProperties::getEventProperties(int type) const {
  CheckType(type, "getEventProperties");
  return lists_[type];
}

void KxContextProperties::apply(int type, analytics_sdk::utils::PropertiesNode& node) const {
  for (const auto& entry : getEventProperties(type)) node.SetString(entry.first, entry.second);
}

bool isValidABValue(const std::string& value) {
  if (value.empty()) return false;
  if (value.size() > 3) KX_THROW(kFile, "isValidABValue", "value's length is great than 3.");
  if (!IsUpper(value[0])) KX_THROW(kFile, "isValidABValue", "First char is not in A to Z");
  if (value.size() > 1 && !IsUpper(value[1]) && !IsDigit(value[1])) {
    KX_THROW(kFile, "isValidABValue", "second char is not in A to Z and 0 to 9");
  }
  if (value.size() > 2 && !IsUpper(value[2]) && !IsDigit(value[2])) {
    KX_THROW(kFile, "isValidABValue", "third char is not in A to Z and 0 to 9");
  }
  return true;
}

std::string ToUtf8(const std::string& text) { return ToUtf8(text, Utils::kCodePageAnsi); }

std::string ToUtf8(const std::string& text, unsigned narrowCodePage) {
  if (text.empty() || analytics_sdk::IsValidUtf8(text)) return text;
  // Not UTF-8: a narrow text from the system, in its ANSI code page.
  return Utils::WideToMultiByte(Utils::MultiByteToWide(text, narrowCodePage), Utils::kCodePageUtf8);
}

}  // namespace analytics
}  // namespace tarvix
