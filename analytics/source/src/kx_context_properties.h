// Per-call context: properties a caller attaches to the records of chosen
// event types for one track call (the installer's A/B value), plus the
// text normalisation every tracker text goes through.
//
// A plain value owned by the caller of one track operation; no locks.
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "sdk/properties_node.h"

namespace tarvix {
namespace analytics {

enum KxEventType : int {
  Activity = 0,
  PaLaunchPal = 1,
  Login = 2,
  Click = 3,
  View = 4,
  Cashier = 5,
  Share = 6,
  Task = 7,
  File = 8,
  Order = 9,
  Payment = 10,
  Uninstall = 11,
  Update = 12,
  Crashed = 13,
  AppOpenNotification = 14,
};
constexpr int kKxEventTypeCount = 15;

// The A/B-test property key.
extern const char kABKey[];  // "kxc_ab"

class KxContextProperties {
 public:
  using Entries = std::vector<std::pair<std::string, std::string>>;

  // Registers `key` (once per object) and appends (key, value) to the list of
  // each type in order; an unknown type raises after the types before it
  // have received the entry. Types are ints so that bad values can arrive.
  void setProperty(const std::string& key, const std::string& value,
                   const std::vector<int>& types);
  const Entries& getEventProperties(int type) const;
  // Sets every entry of the type's list as a string property.
  void apply(int type, analytics_sdk::utils::PropertiesNode& node) const;

 private:
  std::set<std::string> keys_;
  Entries lists_[kKxEventTypeCount];
};

// False for the empty text; true for an upper-case letter followed by at
// most two upper-case letters or digits; raises KxException otherwise.
bool isValidABValue(const std::string& value);

// UTF-8 stays as it is; anything else is taken as the system's narrow code
// page and converted.
std::string ToUtf8(const std::string& text);
// The same with the narrow code page named (Windows numbering; 0 is the
// system's ANSI code page).
std::string ToUtf8(const std::string& text, unsigned narrowCodePage);

}  // namespace analytics
}  // namespace tarvix
