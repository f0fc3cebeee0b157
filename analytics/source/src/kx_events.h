// The typed event records the tracker accepts, and how each becomes the
// properties of one SDK record. Text members are narrow byte strings; they
// are normalised to UTF-8 on the way in.
//
// Plain values owned by the caller of one track operation; no locks.
#pragma once

#include <memory>
#include <string>

#include "kx_context_properties.h"
#include "sdk/properties_node.h"

namespace tarvix {
namespace analytics {

enum KxClickType : int {
  Button = 0,
  Banner = 1,
  Tutorial = 2,
  FileClick = 3,  // "File"; the enumerator name File belongs to KxEventType
  Others = 4,
};

enum KxResult : int {
  Success = 0,
  Cancelled = 1,
  Fail = 2,
  Unknown = 3,
};

// "Button" ... "Others"; any other value raises KxException from "toString".
std::string toString(KxClickType type);
// "Success" ... "Unknown"; any other value raises KxException from "toString".
std::string toString(KxResult result);

struct KxEventClick {
  std::string aname;
  std::string name;  // required
  KxClickType clickType = Others;
  std::string title;
  std::string module;
  std::string position;
  std::shared_ptr<int> tabIndex;  // absent: not sent
  std::string tabName;
  std::shared_ptr<int> bannerIndex;  // absent: not sent
  std::string bannerName;
};

struct KxEventView {
  std::string aname;
  std::string name;  // required
  std::string title;
  std::string position;
};

struct KxEventTask {
  std::string aname;
  std::string name;  // required
  std::string reason;
  std::shared_ptr<float> elapsed;    // seconds; absent: not sent
  std::shared_ptr<KxResult> result;  // absent: not sent
};

// The SDK event names.
extern const char kClickEvent[];  // "KxEventClick"
extern const char kViewEvent[];   // "KxEventView"
extern const char kTaskEvent[];   // "KxEventTask"
extern const char kCrashEvent[];  // "AppCrashed"

// The record's own properties, $is_first_time and the context entries of
// its event type. An empty name raises KxException ("kxEventClick.name is
// empty", ...) from the operation's name; an unknown click type raises
// from "toString". Nothing is queued here.
analytics_sdk::utils::PropertiesNode ClickProperties(const KxEventClick& click,
                                                     const KxContextProperties& context);
analytics_sdk::utils::PropertiesNode ViewProperties(const KxEventView& view,
                                                    const KxContextProperties& context);
analytics_sdk::utils::PropertiesNode TaskProperties(const KxEventTask& task,
                                                    const KxContextProperties& context);
// Only app_crashed_reason, and only when the reason is non-empty.
analytics_sdk::utils::PropertiesNode CrashProperties(const std::string& reason);

}  // namespace analytics
}  // namespace tarvix
