#include "cli_args.h"

#include <gtest/gtest.h>

#include "nearest_name.h"
#include "option_mapping.h"

namespace {

using tw::cli::parse_arguments;

std::vector<std::string> words(const std::string& line) {
  std::vector<std::string> out;
  size_t at = 0;
  while (at < line.size()) {
    size_t end = line.find(' ', at);
    if (end == std::string::npos) end = line.size();
    out.push_back(line.substr(at, end - at));
    at = end + 1;
  }
  return out;
}

// Each line is refused with words naming the fault, and the nearest valid
// name where one is near.
TEST(CliArgs, RefusesWithOneLineAndTheNearestName) {
  const struct {
    const char* line;
    const char* error;
  } kCases[] = {
      {"", "no command given"},
      {"buidl s t", "unknown command 'buidl'; did you mean 'build'?"},
      {"build --overwirte all s t", "unknown option '--overwirte'; did you mean '--overwrite'?"},
      {"build --one s t", "did you mean '--one-instance'?"},
      {"build -o s t", "unknown option '-o'"},
      {"build --zzzzzz s t", "unknown option '--zzzzzz'"},
      {"build --folder tmp s t", "--folder: 'tmp' is not one of temp|desktop|documents|current|ask|custom "
                                 "(did you mean 'temp'?)"},
      {"build --uac root s t", "--uac: 'root' is not one of none|highest|admin"},
      {"build --json s t", "option --json does not apply to build"},
      {"extract --silent a b", "option --silent does not apply to extract"},
      {"build --silent --silent s t", "option --silent is given twice"},
      {"build s t --run", "option --run needs a value"},
      {"build --force=yes s t", "option --force takes no value"},
      {"build s", "build needs SOURCE and TARGET"},
      {"list a b", "unexpected argument 'b'"},
      {"build --args x s t", "--args needs --run"},
      {"build --delete never s t", "--delete needs --run"},
      {"build --run s/a --open-folder s t", "--open-folder applies only without --run"},
      {"build --folder temp --custom-folder c s t", "--custom-folder needs --folder custom"},
      {"build --folder custom s t", "--folder custom needs --custom-folder"},
      {"build --threads 0 s t", "--threads: '0' is not a number from 1 to 64"},
      {"build --threads 65 s t", "from 1 to 64"},
      {"build --codepage 437 s t", "--codepage: '437' is not utf8 or one of"},
      {"build --run-id 12345 s t", "--run-id: '12345' is not ten hexadecimal digits"},
      {"build --run-id 00123456XY s t", "is not ten hexadecimal digits"},
  };
  for (const auto& c : kCases) {
    auto r = parse_arguments(c.line[0] ? words(c.line) : std::vector<std::string>());
    EXPECT_FALSE(r.ok) << c.line;
    EXPECT_NE(r.error.find(c.error), std::string::npos) << c.line << " -> " << r.error;
  }
}

TEST(CliArgs, ReadsOptionsAnywhereInBothForms) {
  auto r = parse_arguments(words("build src --run=src/app.exe out.exe --args -x --custom-folder %TEMP%\\app "
                                 "--delete never --workdir sfx --uac highest --overwrite skip --silent "
                                 "--threads 2 --codepage utf8 --run-id 00abcdef12 -- --odd"));
  ASSERT_FALSE(r.ok);  // three operands: "--odd" after "--" is one
  r = parse_arguments(words("build src --run=src/app.exe out.exe --args -x --custom-folder %TEMP%\\app "
                            "--delete never --workdir sfx --uac highest --overwrite skip --silent "
                            "--threads 2 --codepage utf8 --run-id 00abcdef12"));
  ASSERT_TRUE(r.ok) << r.error;
  const tw::cli::BuildChoices& b = r.args.build;
  EXPECT_EQ(b.source, "src");
  EXPECT_EQ(b.target, "out.exe");
  EXPECT_EQ(b.args, "-x");  // a value may start with a dash
  EXPECT_EQ(b.folder, 5);   // implied by --custom-folder
  EXPECT_EQ(b.threads, 2u);
  EXPECT_EQ(b.codepage, 65001u);
  EXPECT_EQ(b.run_id, "00ABCDEF12");

  tw::cli::MappedBuild m = tw::cli::map_build_choices(b);
  const tw::BuildOptions& o = m.options;
  EXPECT_EQ(o.executable, L"src/app.exe");
  EXPECT_EQ(o.custom_folder, L"%TEMP%\\app");  // kept literally
  EXPECT_EQ((std::vector<int>{o.extraction_mode, o.extraction_folder, o.delete_mode, o.working_folder,
                              o.uac_elevation, o.overwrite_mode, o.silent, o.one_instance}),
            (std::vector<int>{1, 5, 2, 1, 1, 2, 1, 0}));
  EXPECT_TRUE(m.flags.overwrite_target && m.flags.enough_parameters && !m.flags.show_success);

  r = parse_arguments(words("extract --overwrite all a.exe out"));
  ASSERT_TRUE(r.ok);
  EXPECT_EQ(r.args.overwrite, 1);
  EXPECT_EQ(r.args.folder, "out");
  EXPECT_EQ(parse_arguments(words("extract a.exe out")).args.overwrite, -1);  // the file's own
  EXPECT_EQ(parse_arguments(words("list x --help")).args.command, tw::cli::Command::kHelp);
  EXPECT_EQ(parse_arguments(words("build --version")).args.command, tw::cli::Command::kVersion);
}

TEST(NearestName, TakesSlipsAndUniquePrefixesOnly) {
  std::vector<std::string> names = {"overwrite", "one-instance", "open-folder", "run", "run-id"};
  EXPECT_EQ(tw::cli::edit_distance("overwirte", "overwrite"), 1u);  // a swap is one edit
  EXPECT_EQ(tw::cli::nearest_name("overwirte", names), "overwrite");
  EXPECT_EQ(tw::cli::nearest_name("one", names), "one-instance");
  EXPECT_EQ(tw::cli::nearest_name("o", names), "");     // several begin with it
  EXPECT_EQ(tw::cli::nearest_name("rn", names), "run");
  EXPECT_EQ(tw::cli::nearest_name("xyzzy", names), "");
}

}  // namespace
