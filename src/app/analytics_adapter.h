// The installer's reporting operations. Every subsystem reports through
// these free functions; they never throw and never block the caller for
// long.
//
// Observers see every report as it is made (tests and developer programs
// use them); install one before the threads that report start and remove
// it after they are joined.
#pragma once

#include <map>
#include <string>

using AnalyticsProperties = std::map<std::wstring, std::wstring>;

void ReportStep(const std::wstring& step, float elapsedSeconds, const std::wstring& detail,
                AnalyticsProperties extra);

namespace analytics_adapter {

class Observer {
 public:
  virtual ~Observer() = default;
  virtual void OnStep(const std::wstring& step, float elapsedSeconds, const std::wstring& detail,
                      const AnalyticsProperties& extra) = 0;
};
void SetObserver(Observer* observer);

}  // namespace analytics_adapter
