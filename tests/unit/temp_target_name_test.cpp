#include "temp_target_name.h"

#include <gtest/gtest.h>

namespace {

// Only this target's temporary files are recognised: never the target, the
// temporary file of another target, or a user's file that merely looks alike.
TEST(TempTargetName, FormAndRecognition) {
  EXPECT_EQ(tw::temp_target_name(L"setup.exe", 0x0BADF00Du), L"setup.exe.~tw0BADF00D.tmp");
  EXPECT_TRUE(tw::is_temp_target_name(L"SETUP.EXE.~TW0badf00d.TMP", L"setup.exe"));
  for (const wchar_t* other :
       {L"setup.exe", L"setup.exe2.~tw0BADF00D.tmp", L"xsetup.exe.~tw0BADF00D.tmp",
        L"setup.exe.~tw0BADF00.tmp", L"setup.exe.~tw0BADF00DD.tmp", L"setup.exe.~tw0BADF00G.tmp",
        L"setup.exe.~tw0BADF00D.tmp.txt", L"setup.exe.~tx0BADF00D.tmp"})
    EXPECT_FALSE(tw::is_temp_target_name(other, L"setup.exe")) << other;
}

}  // namespace
