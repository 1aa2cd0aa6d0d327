#include "message_box_kind.h"

#include <gtest/gtest.h>

#include <string>

#include "run_id.h"

namespace {

TEST(MessageBoxKind, TitlesAndFlags) {
  using tw::BoxKind;
  EXPECT_EQ(std::string(tw::message_box_title(BoxKind::kError)), "오류");
  EXPECT_EQ(std::string(tw::message_box_title(BoxKind::kInformation)), "정보");
  EXPECT_EQ(std::string(tw::message_box_title(BoxKind::kWarning)), "경고");
  EXPECT_EQ(std::string(tw::message_box_title(BoxKind::kQuestion)), "확인");
  EXPECT_EQ(tw::message_box_flags(BoxKind::kError, false), 0x10u);
  EXPECT_EQ(tw::message_box_flags(BoxKind::kInformation, false), 0x40u);
  EXPECT_EQ(tw::message_box_flags(BoxKind::kWarning, false), 0x30u);
  EXPECT_EQ(tw::message_box_flags(BoxKind::kQuestion, false), 0x24u);
  EXPECT_EQ(tw::message_box_flags(BoxKind::kQuestion, true), 0x124u);
}

TEST(RunId, StaysBelowTheLimitAndFollowsTheSeed) {
  tw::seed_run_ids(42);
  uint32_t first = tw::next_run_id();
  bool differs = false;
  for (int i = 0; i < 1000; ++i) {
    uint32_t v = tw::next_run_id();
    EXPECT_LE(v, 2147483646u);
    differs |= v != first;
  }
  EXPECT_TRUE(differs);
  tw::seed_run_ids(42);
  EXPECT_EQ(tw::next_run_id(), first);
}

}  // namespace
