#include "temp_target_name.h"

#include <gtest/gtest.h>

namespace {

TEST(TempTargetName, FormAndRecognition) {
  const std::wstring made = tw::temp_target_name(L"setup.exe", 0x0BADF00Du);
  EXPECT_EQ(made, L"setup.exe.~tw0BADF00D.tmp");
  EXPECT_TRUE(tw::is_temp_target_name(made, L"setup.exe"));
  EXPECT_TRUE(tw::is_temp_target_name(L"SETUP.EXE.~TW0badf00d.TMP", L"setup.exe"));

  // Only this target's temporary files: never the target itself, another
  // target's, or a user's file that merely looks alike.
  const wchar_t* others[] = {
      L"setup.exe",
      L"setup.exe2.~tw0BADF00D.tmp",     // another target
      L"xsetup.exe.~tw0BADF00D.tmp",
      L"setup.exe.~tw0BADF00.tmp",       // seven digits
      L"setup.exe.~tw0BADF00DD.tmp",     // nine
      L"setup.exe.~tw0BADF00G.tmp",      // not hexadecimal
      L"setup.exe.~tw0BADF00D.tmp.txt",
      L"setup.exe.~tx0BADF00D.tmp",
  };
  for (const wchar_t* other : others)
    EXPECT_FALSE(tw::is_temp_target_name(other, L"setup.exe")) << other;
}

}  // namespace
