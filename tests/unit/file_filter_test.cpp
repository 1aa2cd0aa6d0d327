#include "file_filter.h"

#include <gtest/gtest.h>

namespace {

const wchar_t kIcon[] = L"아이콘 (*.ico)|*.ico|실행 파일 (*.exe)|*.exe";
const wchar_t kRun[] = L"실행 파일 (*.exe)|*.exe|배치 파일 (*.bat)|*.bat|모든 파일 (*.*)|*.*";

TEST(FileFilter, IndexFollowsTheExtension) {
  auto icon = tw::parse_filter(kIcon), run = tw::parse_filter(kRun);
  ASSERT_EQ(icon.size(), 2u);
  EXPECT_EQ(icon[1].caption, L"실행 파일 (*.exe)");
  EXPECT_EQ(tw::filter_index_for(icon, L"C:\\dir\\app.EXE"), 2);
  EXPECT_EQ(tw::filter_index_for(icon, L"a.ico"), 1);
  EXPECT_EQ(tw::filter_index_for(run, L"notes.txt"), 3);  // no match: the last entry
  EXPECT_EQ(tw::filter_index_for(run, L"C:\\dir.x\\noext"), 1);
  const wchar_t dialog[] = L"아이콘 (*.ico)\0*.ico\0실행 파일 (*.exe)\0*.exe\0";
  EXPECT_EQ(tw::dialog_filter(icon), std::wstring(dialog, sizeof dialog / sizeof *dialog));
}

TEST(FileFilter, BareNamesGetTheSelectedExtension) {
  auto icon = tw::parse_filter(kIcon), run = tw::parse_filter(kRun);
  EXPECT_EQ(tw::with_filter_extension(L"C:\\x\\new", icon, 1), L"C:\\x\\new.ico");
  EXPECT_EQ(tw::with_filter_extension(L"C:\\x\\new", icon, 2), L"C:\\x\\new.exe");
  EXPECT_EQ(tw::with_filter_extension(L"C:\\x\\new.bat", run, 1), L"C:\\x\\new.bat");
  EXPECT_EQ(tw::with_filter_extension(L"C:\\x.d\\new", run, 3), L"C:\\x.d\\new");
  EXPECT_EQ(tw::folder_part(L"C:\\x\\new.ico"), L"C:\\x\\");
  EXPECT_EQ(tw::name_part(L"C:\\x\\new.ico"), L"new.ico");
}

}  // namespace
