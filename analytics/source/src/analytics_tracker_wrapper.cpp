#include <cstdio>

#include "analytics_tracker.h"

namespace tarvix {
namespace analytics {

AnalyticsTrackerWrapper::AnalyticsTrackerWrapper(std::unique_ptr<AnalyticsTracker> impl)
    : impl_(std::move(impl)) {}

AnalyticsTrackerWrapper::~AnalyticsTrackerWrapper() = default;

template <typename Call>
void AnalyticsTrackerWrapper::Guard(const char* operation, Call call) {
  if (!impl_) return;
  try {
    call(*impl_);
  } catch (...) {
    if (impl_->getLogger()) {
      std::fprintf(stdout, "Failed to %s\n", operation);
      std::fflush(stdout);
    }
  }
}

#define KX_FORWARD(op, Record)                                                              \
  void AnalyticsTrackerWrapper::op(const Record& event, const KxContextProperties& context) { \
    Guard(#op, [&](AnalyticsTracker& t) { t.op(event, context); });                          \
  }

KX_FORWARD(trackActivity, KxEventOther)
KX_FORWARD(trackLaunch, KxEventOther)
KX_FORWARD(trackLogin, KxEventOther)
KX_FORWARD(trackClick, KxEventClick)
KX_FORWARD(trackView, KxEventView)
KX_FORWARD(trackCashier, KxEventOther)
KX_FORWARD(trackShare, KxEventOther)
KX_FORWARD(trackTask, KxEventTask)
KX_FORWARD(trackFile, KxEventOther)
KX_FORWARD(trackOrder, KxEventOther)
KX_FORWARD(trackPayment, KxEventOther)
KX_FORWARD(trackUninstall, KxEventOther)
KX_FORWARD(trackUpdate, KxEventOther)
KX_FORWARD(trackAppOpenNotification, KxEventOther)
#undef KX_FORWARD

void AnalyticsTrackerWrapper::trackCrash(const std::string& reason) {
  Guard("trackCrash", [&](AnalyticsTracker& t) { t.trackCrash(reason); });
}

void AnalyticsTrackerWrapper::setLocale(const std::string& locale) {
  if (impl_) impl_->setLocale(locale);
}

std::string AnalyticsTrackerWrapper::getPrimaryDistinctId() {
  return impl_ ? impl_->getPrimaryDistinctId() : std::string();
}

}  // namespace analytics
}  // namespace tarvix
