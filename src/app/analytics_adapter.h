// The installer's reporting operations. Every subsystem reports through
// these free functions; they never throw and never block the caller for
// long.
//
// InitAnalytics creates the process's tracker from g_InstallerConfig when
// its IsEnableAppSensors is on; ShutdownAnalytics drops it (queued records
// are flushed, or staged for the next run). Both run on the main thread,
// before the threads that report start and after they are joined. Reports
// reach the tracker only while the switch is on (read at each call) and a
// tracker is held; every text is sent as UTF-8.
//
// Observers see every report as it is made (tests and developer programs
// use them); install one before the threads that report start and remove
// it after they are joined.
#pragma once

#include <map>
#include <string>

using AnalyticsProperties = std::map<std::wstring, std::wstring>;

void InitAnalytics();
void ShutdownAnalytics();

// What every report of the installer carries unless its caller says
// otherwise: the product's A/B group ("AB" = "IN").
AnalyticsProperties ProductReportExtra();

void ReportStep(const std::wstring& step, float elapsedSeconds, const std::wstring& detail,
                AnalyticsProperties extra = ProductReportExtra());
void ReportClick(const std::wstring& control, AnalyticsProperties extra = ProductReportExtra());
void ReportView(AnalyticsProperties extra = ProductReportExtra());
void ReportCrash();

namespace analytics_adapter {

class Observer {
 public:
  virtual ~Observer() = default;
  virtual void OnStep(const std::wstring& step, float elapsedSeconds, const std::wstring& detail,
                      const AnalyticsProperties& extra) = 0;
  virtual void OnClick(const std::wstring& /*control*/, const AnalyticsProperties& /*extra*/) {}
  virtual void OnView(const AnalyticsProperties& /*extra*/) {}
  virtual void OnCrash() {}
};
void SetObserver(Observer* observer);

}  // namespace analytics_adapter
