#include "message_box_kind.h"

#include <gtest/gtest.h>

#include <string>

#include "run_id.h"

namespace {

TEST(MessageBoxKind, TitlesAndFlags) {
  using tw::BoxKind;
  const struct {
    BoxKind kind;
    const char *ko, *en;
  } titles[] = {{BoxKind::kError, "오류", "Error"},
                {BoxKind::kInformation, "정보", "Information"},
                {BoxKind::kWarning, "경고", "Warning"},
                {BoxKind::kQuestion, "확인", "Confirm"}};
  for (const auto& t : titles) {
    EXPECT_EQ(std::string(tw::message_box_title(t.kind, tw::Language::kKorean)), t.ko);
    EXPECT_EQ(std::string(tw::message_box_title(t.kind, tw::Language::kEnglish)), t.en);
  }
  EXPECT_EQ(tw::message_box_flags(BoxKind::kError, false), 0x10u);
  EXPECT_EQ(tw::message_box_flags(BoxKind::kInformation, false), 0x40u);
  EXPECT_EQ(tw::message_box_flags(BoxKind::kWarning, false), 0x30u);
  EXPECT_EQ(tw::message_box_flags(BoxKind::kQuestion, false), 0x24u);
  EXPECT_EQ(tw::message_box_flags(BoxKind::kQuestion, true), 0x124u);
}

TEST(Language, KoreanOnKoreanSystemsEnglishElsewhereUnlessOverridden) {
  using tw::Language;
  const struct {
    const wchar_t* override_value;
    unsigned short ui_language;
    Language chosen;
  } cases[] = {{nullptr, 0x0412, Language::kKorean},  {nullptr, 0x0812, Language::kKorean},
               {nullptr, 0x0409, Language::kEnglish}, {nullptr, 0x0407, Language::kEnglish},
               {L"en", 0x0412, Language::kEnglish},   {L"ko", 0x0409, Language::kKorean},
               {L"fr", 0x0412, Language::kKorean},    {L"", 0x0409, Language::kEnglish}};
  for (const auto& c : cases)
    EXPECT_EQ(tw::choose_language(c.override_value, c.ui_language), c.chosen) << c.ui_language;
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
