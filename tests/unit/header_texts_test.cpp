#include "../../stub/header_texts.h"

#include <gtest/gtest.h>

namespace {

TEST(HeaderTexts, CodePagesAreTheMakersOnly) {
  for (uint32_t cp : {874u, 932u, 936u, 949u, 950u, 1250u, 1252u, 1258u, 65001u}) {
    EXPECT_TRUE(tw::is_recorded_code_page(cp)) << cp;
  }
  // EBCDIC, UTF-7, OEM, ISO and Mac pages, and the neighbours of the range.
  for (uint32_t cp : {0u, 37u, 437u, 1026u, 1249u, 1259u, 10000u, 20127u, 28591u, 65000u}) {
    EXPECT_FALSE(tw::is_recorded_code_page(cp)) << cp;
  }
}

TEST(HeaderTexts, RunIdIsTenHexDigits) {
  for (const wchar_t* id : {L"0000C0FFEE", L"007fffffff"}) EXPECT_TRUE(tw::is_run_id(id)) << id;
  for (const wchar_t* id : {L"", L"0000C0FFE", L"0000C0FFEE0", L"/../../../", L"00AB:CDEF0", L"0000C0FFE\xFFFD"}) {
    EXPECT_FALSE(tw::is_run_id(id));
  }
}

}  // namespace
