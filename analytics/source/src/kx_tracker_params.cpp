#include "kx_tracker_params.h"

#include "kx_exception.h"

namespace tarvix {
namespace analytics {

std::string EditionName(int edition) {
  switch (edition) {
    case 0:
      return "china";
    case 1:
      return "overseas";
    default:
      KX_THROW("AnalyticsTrackerImpl", "toString", "Unknown edition [" + std::to_string(edition) + "]!");
  }
}

}  // namespace analytics
}  // namespace tarvix
