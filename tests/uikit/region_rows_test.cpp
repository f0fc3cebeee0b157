// The rows of a rounded window's region: the shape the host gives the
// window and the shadow follows.
#include "uikit/region_rows.h"

#include <gtest/gtest.h>

namespace {

using SkinUI::RegionRow;
using SkinUI::RoundRectRows;

TEST(RegionRows, RoundedRowsCutTheCornersOnly) {
  const std::vector<RegionRow> rows = RoundRectRows(600, 400, 20, 20);
  ASSERT_EQ(rows.size(), 400u);
  EXPECT_GT(rows[0].first, 0);
  EXPECT_LT(rows[0].last, 599);
  EXPECT_EQ(rows[200].first, 0);
  EXPECT_EQ(rows[200].last, 599);
  EXPECT_GT(rows[399].first, 0);
  const std::vector<RegionRow> square = RoundRectRows(10, 5, 0, 0);
  for (const RegionRow& r : square) {
    EXPECT_EQ(r.first, 0);
    EXPECT_EQ(r.last, 9);
  }
}

}  // namespace
