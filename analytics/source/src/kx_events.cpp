#include "kx_events.h"

#include "kx_exception.h"

namespace tarvix {
namespace analytics {

using analytics_sdk::utils::PropertiesNode;

const char kClickEvent[] = "KxEventClick";
const char kViewEvent[] = "KxEventView";
const char kTaskEvent[] = "KxEventTask";
const char kCrashEvent[] = "AppCrashed";

namespace {

constexpr char kFile[] = "AnalyticsTrackerImpl";

void SetText(PropertiesNode& node, const char* key, const std::string& value) {
  node.SetString(key, ToUtf8(value));
}
void SetTextIfAny(PropertiesNode& node, const char* key, const std::string& value) {
  if (!value.empty()) SetText(node, key, value);
}
void SetIntegerIfAny(PropertiesNode& node, const char* key, const std::shared_ptr<int>& value) {
  if (value) node.SetInteger(key, *value);
}
void Finish(PropertiesNode& node, const KxContextProperties& context, KxEventType type) {
  node.SetBool("$is_first_time", true);
  context.apply(type, node);
}

}  // namespace

std::string toString(KxClickType type) {
  switch (type) {
    case Button: return "Button";
    case Banner: return "Banner";
    case Tutorial: return "Tutorial";
    case FileClick: return "File";
    case Others: return "Others";
  }
  KX_THROW(kFile, "toString", "Unknown ClickType [" + std::to_string(static_cast<int>(type)) + "]!");
}

std::string toString(KxResult result) {
  switch (result) {
    case Success: return "Success";
    case Cancelled: return "Cancelled";
    case Fail: return "Fail";
    case Unknown: return "Unknown";
  }
  KX_THROW(kFile, "toString", "Unknown task result [" + std::to_string(static_cast<int>(result)) + "]!");
}

PropertiesNode ClickProperties(const KxEventClick& click, const KxContextProperties& context) {
  if (click.name.empty()) KX_THROW(kFile, "trackClick", "kxEventClick.name is empty");
  PropertiesNode node;
  SetText(node, "kx_name", click.name);
  node.SetString("kx_click_type", toString(click.clickType));
  SetTextIfAny(node, "kx_aname", click.aname);
  SetTextIfAny(node, "kx_title", click.title);
  SetTextIfAny(node, "kx_module", click.module);
  SetTextIfAny(node, "kx_position", click.position);
  SetTextIfAny(node, "kx_tab_name", click.tabName);
  SetTextIfAny(node, "kx_banner_name", click.bannerName);
  SetIntegerIfAny(node, "kx_tab_index", click.tabIndex);
  SetIntegerIfAny(node, "kx_banner_index", click.bannerIndex);
  Finish(node, context, Click);
  return node;
}

PropertiesNode ViewProperties(const KxEventView& view, const KxContextProperties& context) {
  if (view.name.empty()) KX_THROW(kFile, "trackView", "kxEventView.name is empty");
  PropertiesNode node;
  SetText(node, "kx_name", view.name);
  SetTextIfAny(node, "kx_aname", view.aname);
  SetTextIfAny(node, "kx_title", view.title);
  SetTextIfAny(node, "kx_position", view.position);
  Finish(node, context, View);
  return node;
}

PropertiesNode TaskProperties(const KxEventTask& task, const KxContextProperties& context) {
  if (task.name.empty()) KX_THROW(kFile, "trackTask", "kxEventTask.name is empty");
  PropertiesNode node;
  SetText(node, "kx_task_name", task.name);
  SetTextIfAny(node, "kx_aname", task.aname);
  SetTextIfAny(node, "kx_reason", task.reason);
  if (task.elapsed) node.SetNumber("kx_task_elapsed", static_cast<double>(*task.elapsed));
  // A result outside the known ones is left out rather than refused: the
  // record itself is still worth having.
  if (task.result && *task.result >= Success && *task.result <= Fail) {
    node.SetString("kx_task_result", toString(*task.result));
  }
  Finish(node, context, Task);
  return node;
}

PropertiesNode CrashProperties(const std::string& reason) {
  PropertiesNode node;
  SetTextIfAny(node, "app_crashed_reason", reason);
  return node;
}

}  // namespace analytics
}  // namespace tarvix
