// Whole numbers that the user or a peer sees (the progress percentage, a
// report's codes and sizes, timer periods from the package, a shadow's
// alpha) are made from doubles by one rule, the same on every target:
//
//   the formula is evaluated in IEEE 754 binary64 in the order it is
//   written, each operation rounded to nearest, with no wider intermediates
//   and no fused multiply-add; the result is then truncated toward zero and
//   saturated at the target type's range (NaN gives 0).
//
// So with a download scale of 0.7, half the download is 35 % everywhere.
// Figures made from whole counts (bytes) stay in integer arithmetic.
#pragma once

#include <cfloat>
#include <cmath>
#include <cstdint>
#include <limits>

// A build that keeps wider intermediates (the x87 unit of an i686 build
// without -mfpmath=sse) breaks the rule; it stops here, on every machine that
// compiles the product, whether or not that machine can run it.
static_assert(FLT_EVAL_METHOD == 0,
              "doubles must be evaluated as binary64 (i686: -msse2 -mfpmath=sse)");

namespace Utils {

// `value` truncated toward zero into T; NaN gives 0, values beyond T's
// range give its limits (a plain cast of those would be undefined).
template <class T>
T TruncatedTo(double value) {
  if (std::isnan(value)) return 0;
  const double lo = static_cast<double>(std::numeric_limits<T>::min());
  const double hi = static_cast<double>(std::numeric_limits<T>::max());
  if (value <= lo) return std::numeric_limits<T>::min();
  if (value >= hi) return std::numeric_limits<T>::max();
  return static_cast<T>(value);
}

// The whole percentage of a fraction: fraction × 100, truncated.
inline int32_t TruncatedPercent(double fraction) { return TruncatedTo<int32_t>(fraction * 100.0); }

}  // namespace Utils
