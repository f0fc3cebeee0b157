// Whole numbers made from doubles: products that sit a hair below a whole
// number in exact arithmetic but round to it in binary64. A build whose
// doubles keep wider intermediates (the x87 unit) truncates each of them
// one lower, which is what the user of the shipped i686 build once saw.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <limits>

#include "utils/whole_number.h"

namespace {

struct Case {
  double fraction;
  double scale;
  int32_t percent;
};

// The download share of the bar: fraction × scale × 100.
constexpr Case kDownload[] = {{0.5, 0.7, 35}, {0.3, 0.7, 21}, {0.9, 0.7, 63}, {0.5, 0.3, 15}, {0.25, 0.6, 15}};
// The install share: ((1 − scale) × fraction + scale) × 100.
constexpr Case kInstall[] = {{0.6, 0.7, 88}};

}  // namespace

TEST(WholeNumbers, ProductsJustBelowAWholeNumberFollowBinary64) {
  for (const Case& c : kDownload) {
    EXPECT_EQ(Utils::TruncatedPercent(c.fraction * c.scale), c.percent) << c.fraction << " x " << c.scale;
  }
  for (const Case& c : kInstall) {
    EXPECT_EQ(Utils::TruncatedPercent((1.0 - c.scale) * c.fraction + c.scale), c.percent) << c.fraction;
  }
}

// The table guards something only if a wider evaluation of the same
// formula lands lower: where long double is wider than double (x86's
// 80-bit format), it shows each case is one that wider intermediates break.
TEST(WholeNumbers, TheCasesAreOnesThatWiderIntermediatesGetWrong) {
  if (LDBL_MANT_DIG <= DBL_MANT_DIG) GTEST_SKIP() << "long double is no wider than double here";
  for (const Case& c : kDownload) {
    const long double wide = static_cast<long double>(c.fraction) * c.scale * 100.0L;
    EXPECT_EQ(static_cast<int32_t>(wide), c.percent - 1) << c.fraction << " x " << c.scale;
  }
  for (const Case& c : kInstall) {
    const long double wide = ((1.0L - c.scale) * c.fraction + c.scale) * 100.0L;
    EXPECT_EQ(static_cast<int32_t>(wide), c.percent - 1) << c.fraction;
  }
}

TEST(WholeNumbers, TruncationSaturatesAndTakesNaNAsZero) {
  EXPECT_EQ(Utils::TruncatedTo<int32_t>(2.9), 2);
  EXPECT_EQ(Utils::TruncatedTo<int32_t>(-2.9), -2);
  EXPECT_EQ(Utils::TruncatedTo<int32_t>(1e300), std::numeric_limits<int32_t>::max());
  EXPECT_EQ(Utils::TruncatedTo<int32_t>(-1e300), std::numeric_limits<int32_t>::min());
  EXPECT_EQ(Utils::TruncatedTo<uint32_t>(4294967295.0), 4294967295u);
  EXPECT_EQ(Utils::TruncatedTo<uint32_t>(-1.0), 0u);
  EXPECT_EQ(Utils::TruncatedTo<int32_t>(std::nan("")), 0);
}
