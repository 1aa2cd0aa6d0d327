#include "size_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string text(int64_t n) {
  char buf[32];
  tw::size_text(n, buf, sizeof buf);
  return buf;
}

TEST(SizeText, StepsByPowersOf1024) {
  EXPECT_EQ(text(0), "0 B");
  EXPECT_EQ(text(1023), "1023 B");
  EXPECT_EQ(text(1024), "1.0 kB");
  EXPECT_EQ(text(1536), "1.5 kB");
  EXPECT_EQ(text(1048575), "1024.0 kB");  // 1023.999 rounds up within its step
  EXPECT_EQ(text(1048576), "1.00 MB");
  EXPECT_EQ(text(10485760 + 5243), "10.01 MB");
  EXPECT_EQ(text(int64_t(1) << 30), "1.000 GB");
  EXPECT_EQ(text((int64_t(3) << 30) + (int64_t(1) << 29)), "3.500 GB");
  EXPECT_EQ(text(int64_t(1) << 40), "1.0000 TB");
  EXPECT_EQ(text(int64_t(5) << 50), "5120.0000 TB");
}

TEST(SizeText, RoundsHalvesAwayFromZeroAndKeepsTheSign) {
  EXPECT_EQ(text(1024 + 256), "1.3 kB");  // 1.25 exactly
  EXPECT_EQ(text(1024 + 255), "1.2 kB");
  EXPECT_EQ(text(-1), "-1 B");            // unreadable free space
  EXPECT_EQ(text(-2048), "-2.0 kB");
  EXPECT_EQ(text(INT64_MIN), "-8388608.0000 TB");
}

TEST(SizeText, CutsToTheBuffer) {
  char small[5];
  EXPECT_EQ(tw::size_text(1048576, small, sizeof small), 4u);
  EXPECT_STREQ(small, "1.00");
}

}  // namespace
