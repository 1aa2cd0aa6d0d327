#include "validation.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "message_ids.h"

namespace {

// A file system of a few paths, a recorder of boxes and of saved options.
class FakeHost : public tw::ValidationHost {
 public:
  std::set<std::wstring> folders, files;
  std::vector<std::wstring> errors, questions;
  int saves = 0;
  bool answer = false;

  std::wstring full_path(const std::wstring& p) override {
    return p.size() > 1 && p[1] == L':' ? p : L"C:\\cwd\\" + p;
  }
  bool directory_exists(const std::wstring& p) override { return folders.count(p) > 0; }
  bool file_exists(const std::wstring& p) override { return files.count(p) > 0; }
  bool starts_with_ignoring_case(const std::wstring& t, const std::wstring& pre) override {
    if (t.size() < pre.size()) return false;
    for (size_t i = 0; i < pre.size(); ++i)
      if (towupper(t[i]) != towupper(pre[i])) return false;
    return true;
  }
  void save_options(const tw::BuildOptions&) override { ++saves; }
  std::wstring message(unsigned id) override {
    switch (id) {
      case tw::kMsgNoSourceFolder: return L"no source\r\n\r\n%s";
      case tw::kMsgNoIconFile: return L"no icon\r\n\r\n%s";
      case tw::kMsgNoExecutable: return L"no exe\r\n\r\n%s";
      case tw::kMsgExecutableOutsideSource: return L"exe\r\n%s\r\n\r\nnot in\r\n%s";
      case tw::kMsgTargetExists: return L"replace?";
    }
    return L"?";
  }
  void show_error(const std::wstring& t) override { errors.push_back(t); }
  bool ask_no_default(const std::wstring& t) override {
    questions.push_back(t);
    return answer;
  }
};

tw::BuildOptions run_options() {
  tw::BuildOptions o;
  o.source_folder = L"  C:\\Src  ";
  o.target_file = L"out.exe ";
  o.extraction_mode = tw::kExtractAndRun;
  o.executable = L"c:\\SRC\\bin\\Run.exe";
  o.parameters = L"\t-x  ";
  o.custom_folder = L" %TEMP%\\app ";
  return o;
}

TEST(Normalise, TrimsAndMakesPathsAbsolute) {
  FakeHost host;
  tw::BuildOptions o = run_options();
  tw::normalise(&o, host);
  EXPECT_EQ(o.source_folder, L"C:\\Src\\");
  EXPECT_EQ(o.target_file, L"C:\\cwd\\out.exe");
  EXPECT_EQ(o.executable, L"c:\\SRC\\bin\\Run.exe");
  EXPECT_EQ(o.parameters, L"-x");
  EXPECT_EQ(o.custom_folder, L"%TEMP%\\app\\");  // not made absolute

  tw::BuildOptions empty;
  tw::normalise(&empty, host);
  EXPECT_EQ(empty.source_folder, L"");
  EXPECT_EQ(empty.custom_folder, L"");
}

TEST(Validate, ChecksInOrderWithTheirPaths) {
  FakeHost host;
  tw::RunFlags flags;
  flags.enough_parameters = true;

  tw::BuildOptions o = run_options();
  EXPECT_FALSE(tw::validate(&o, flags, host));
  EXPECT_EQ(host.errors.back(), L"no source\r\n\r\nC:\\Src\\");

  tw::BuildOptions blank;
  EXPECT_FALSE(tw::validate(&blank, flags, host));
  EXPECT_EQ(host.errors.back(), L"no source\r\n\r\n");  // empty text, empty path

  host.folders.insert(L"C:\\Src\\");
  o = run_options();
  o.icon_file = L" C:\\missing.ico";
  EXPECT_FALSE(tw::validate(&o, flags, host));
  EXPECT_EQ(host.errors.back(), L"no icon\r\n\r\n C:\\missing.ico");

  o = run_options();
  EXPECT_FALSE(tw::validate(&o, flags, host));
  EXPECT_EQ(host.errors.back(), L"no exe\r\n\r\nc:\\SRC\\bin\\Run.exe");

  host.files.insert(L"c:\\SRC\\bin\\Run.exe");  // other letter case still inside
  o = run_options();
  EXPECT_TRUE(tw::validate(&o, flags, host));

  host.files.insert(L"C:\\Other\\Run.exe");
  o = run_options();
  o.executable = L"C:\\Other\\Run.exe";
  EXPECT_FALSE(tw::validate(&o, flags, host));
  EXPECT_EQ(host.errors.back(), L"exe\r\nC:\\Other\\Run.exe\r\n\r\nnot in\r\nC:\\Src\\");

  // A sibling folder whose name starts like the source is not inside it.
  host.files.insert(L"C:\\Src2\\Run.exe");
  o = run_options();
  o.executable = L"C:\\Src2\\Run.exe";
  EXPECT_FALSE(tw::validate(&o, flags, host));

  // The executable is only checked in run mode.
  o = run_options();
  o.extraction_mode = tw::kExtractOnly;
  o.executable = L"C:\\nowhere.exe";
  EXPECT_TRUE(tw::validate(&o, flags, host));
  EXPECT_TRUE(host.questions.empty());
}

TEST(Validate, AsksBeforeReplacingUnlessTold) {
  FakeHost host;
  host.folders.insert(L"C:\\Src\\");
  host.files.insert(L"C:\\cwd\\out.exe");
  tw::BuildOptions o = run_options();
  o.extraction_mode = tw::kExtractOnly;
  tw::RunFlags flags;
  flags.enough_parameters = true;

  EXPECT_FALSE(tw::validate(&o, flags, host));
  ASSERT_EQ(host.questions.size(), 1u);
  host.answer = true;
  EXPECT_TRUE(tw::validate(&o, flags, host));
  EXPECT_EQ(host.questions.size(), 2u);

  flags.overwrite_target = true;
  host.answer = false;
  EXPECT_TRUE(tw::validate(&o, flags, host));
  EXPECT_EQ(host.questions.size(), 2u);
}

TEST(Validate, SavesOnlyWhenNotFromACompleteCommandLine) {
  FakeHost host;
  tw::BuildOptions o = run_options();
  tw::RunFlags flags;
  flags.enough_parameters = true;
  tw::validate(&o, flags, host);
  EXPECT_EQ(host.saves, 0);
  flags.enough_parameters = false;
  EXPECT_FALSE(tw::validate(&o, flags, host));  // saved even though refused
  EXPECT_EQ(host.saves, 1);
}

TEST(FormatMessage, FillsEachPlaceholderInTurn) {
  EXPECT_EQ(tw::format_message(L"a %s b %s c", {L"1", L"2"}), L"a 1 b 2 c");
  EXPECT_EQ(tw::format_message(L"%s%s", {L"x"}), L"x");
  EXPECT_EQ(tw::format_message(L"100%", {L"x"}), L"100%");
}

}  // namespace
