#include "progress_math.h"

#include <gtest/gtest.h>

namespace {

TEST(ProgressMath, BarsAndSizeLine) {
  EXPECT_EQ(tw::file_bar_position(1, 3), 333);
  EXPECT_EQ(tw::file_bar_position(2, 3), 667);  // rounded
  EXPECT_EQ(tw::file_bar_position(0, 0), 1000);  // an empty file is done
  EXPECT_EQ(tw::total_bar_position(2, 3), 666);  // cut
  EXPECT_EQ(tw::total_bar_position(5, 0), 0);
  EXPECT_EQ(tw::total_bar_position(uint64_t(5) << 40, uint64_t(10) << 40), 500);
  EXPECT_EQ(tw::size_line(1536 * 1024, 3 * 1024 * 1024), L"1.50 MB / 3.00 MB   (50%)");
}

}  // namespace
