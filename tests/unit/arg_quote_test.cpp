#include "arg_quote.h"

#include <gtest/gtest.h>

#include <string>

#include "cmdline_split.h"

namespace {

std::string quoted(const char* arg) {
  char out[256];
  size_t pos = 0;
  out[0] = 0;
  EXPECT_TRUE(tw::append_quoted_arg(out, sizeof out, &pos, arg));
  EXPECT_EQ(pos, std::string(out).size());
  return out;
}

// Known answers of the Windows argument rules (2n backslashes before a quote
// give n backslashes, 2n+1 give n and a literal quote; others stay).
TEST(ArgQuote, QuotesByTheWindowsRules) {
  EXPECT_EQ(quoted("plain"), "\"plain\"");
  EXPECT_EQ(quoted(""), "\"\"");
  EXPECT_EQ(quoted("with blank"), "\"with blank\"");
  EXPECT_EQ(quoted("say \"hi\""), "\"say \\\"hi\\\"\"");
  EXPECT_EQ(quoted("C:\\dir\\"), "\"C:\\dir\\\\\"");
  EXPECT_EQ(quoted("a\\\\b"), "\"a\\\\b\"");
  EXPECT_EQ(quoted("a\\\"b"), "\"a\\\\\\\"b\"");
  EXPECT_EQ(quoted("\\\\"), "\"\\\\\\\\\"");
}

// Whatever the argument, splitting the quoted text gives it back whole.
TEST(ArgQuote, SplitterGetsEveryArgumentBack) {
  const wchar_t* args[] = {L"x",      L"two words", L"\"",        L"\\",  L"\\\\\"\\",
                           L"end\\",  L"a\"b c\\",  L"\t tab ",   L"",    L"\x00E9\xD55C"};
  wchar_t line[1024] = L"prog.exe";
  size_t pos = 8;
  for (const wchar_t* a : args) {
    line[pos++] = L' ';
    ASSERT_TRUE(tw::append_quoted_arg(line, 1024, &pos, a));
  }
  const wchar_t* rest = tw::skip_program_name<wchar_t>(line, nullptr);
  for (const wchar_t* a : args) {
    wchar_t token[64];
    size_t length = 0;
    ASSERT_TRUE(tw::next_token<wchar_t>(&rest, token, 64, &length, nullptr));
    EXPECT_EQ(std::wstring(token), std::wstring(a));
  }
  wchar_t token[4];
  size_t length;
  EXPECT_FALSE(tw::next_token<wchar_t>(&rest, token, 4, &length, nullptr));
}

TEST(ArgQuote, TooSmallLeavesTheTextAsItWas) {
  char out[12] = "ab";
  size_t pos = 2;
  EXPECT_FALSE(tw::append_quoted_arg(out, sizeof out, &pos, "long argument"));
  EXPECT_EQ(pos, 2u);
  EXPECT_STREQ(out, "ab");
  // Exactly fitting: 2 + quote + 7 + quote + NUL = 12.
  EXPECT_TRUE(tw::append_quoted_arg(out, sizeof out, &pos, "sevenCH"));
  EXPECT_STREQ(out, "ab\"sevenCH\"");
}

}  // namespace
