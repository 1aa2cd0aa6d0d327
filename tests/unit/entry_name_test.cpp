#include "../../stub/entry_name.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

bool file_ok(const std::string& s) { return tw::is_safe_entry_name(s.data(), s.size(), false); }
bool folder_ok(const std::string& s) { return tw::is_safe_entry_name(s.data(), s.size(), true); }

TEST(EntryName, PlainRelativeNames) {
  for (const char* name : {"readme.txt", "docs\\readme.txt", "a\\b\\c\\d.bin", ".hidden", "x..y",
                           "..name", "name..", "CONFIG.SYS", "console.log", "COM10", "LPT", "nul_file",
                           "a b\\c d.txt", "\xB0\xA1\\\xB3\xAA.txt"}) {
    EXPECT_TRUE(file_ok(name)) << name;
  }
  EXPECT_TRUE(folder_ok("docs"));
  EXPECT_TRUE(folder_ok("docs\\"));
  EXPECT_TRUE(folder_ok("a/b"));
}

TEST(EntryName, NamesThatLeaveTheFolder) {
  for (const char* name : {"..", "..\\x", "a\\..\\..\\x", "a/../../x", "a\\..", ".", ".\\x",
                           "...", "a\\. .\\x", "\\x", "/x", "\\\\server\\share\\x", "C:x", "C:\\x",
                           "x:stream", "a\\b:$DATA"}) {
    EXPECT_FALSE(file_ok(name)) << name;
    EXPECT_FALSE(folder_ok(name)) << name;
  }
}

TEST(EntryName, EmptyComponents) {
  EXPECT_FALSE(file_ok(""));
  EXPECT_FALSE(folder_ok(""));
  EXPECT_FALSE(file_ok("a\\\\b"));
  EXPECT_FALSE(file_ok("a\\"));   // a file cannot end with a separator
  EXPECT_FALSE(folder_ok("a\\\\"));
  EXPECT_FALSE(folder_ok("\\"));
  EXPECT_FALSE(file_ok(std::string("a\0b", 3)));  // the name would be cut
}

TEST(EntryName, DeviceNames) {
  for (const char* name : {"CON", "con", "aux.txt", "sub\\NUL", "Prn .log", "COM1", "lpt9.dat",
                           "CONIN$", "conout$", "a\\clock$",
                           // superscript one, two, three (code page 1252 bytes)
                           "COM\xB9", "lpt\xB2.txt", "sub\\COM\xB3 .log"}) {
    EXPECT_FALSE(file_ok(name)) << name;
  }
  EXPECT_TRUE(file_ok("COM\xB4"));  // an acute accent is no digit
  const wchar_t decoded[] = L"LPT\x00B9.txt";
  EXPECT_FALSE(tw::is_safe_entry_name(decoded, wcslen(decoded), false));
}

TEST(EntryName, WideCharacters) {
  const wchar_t ok[] = L"\xD55C\xAE00\\\xD30C\xC77C.txt";
  const wchar_t up[] = L"\xD55C\\..\\..\\x";
  EXPECT_TRUE(tw::is_safe_entry_name(ok, wcslen(ok), false));
  EXPECT_FALSE(tw::is_safe_entry_name(up, wcslen(up), false));
}

}  // namespace
