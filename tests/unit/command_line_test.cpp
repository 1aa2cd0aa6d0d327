#include "command_line.h"

#include <gtest/gtest.h>

#include "startup_options.h"

namespace {

using tw::CommandLine;

CommandLine split(const std::wstring& args) {
  return CommandLine(L"prog.exe " + args, L"C:\\tools\\prog.exe");
}

TEST(CommandLineSplit, QuotesBlanksAndBackslashes) {
  CommandLine cl = split(LR"("C:\My Folder" a\\"b c" a\"b x\y\ "q\\" end)");
  ASSERT_EQ(cl.count(), 6u);
  EXPECT_EQ(cl.param(1), L"C:\\My Folder");
  EXPECT_EQ(cl.param(2), L"a\\b c");  // two backslashes + quote: one backslash, quoting opens
  EXPECT_EQ(cl.param(3), L"a\"b");    // one backslash + quote: a literal quote
  EXPECT_EQ(cl.param(4), L"x\\y\\");  // backslashes without a quote stay
  EXPECT_EQ(cl.param(5), L"q\\");
  EXPECT_EQ(cl.param(6), L"end");
  EXPECT_EQ(cl.param(0), L"C:\\tools\\prog.exe");
  EXPECT_EQ(cl.param(7), L"");
}

TEST(CommandLineSplit, EscapedQuotesInsideQuotesAndEmptyParameter) {
  CommandLine cl = split(L"\"/title \\\"first\\\" \\\"second\\\"\" \"\" \t last");
  ASSERT_EQ(cl.count(), 3u);
  EXPECT_EQ(cl.param(1), L"/title \"first\" \"second\"");
  EXPECT_EQ(cl.param(2), L"");
  EXPECT_EQ(cl.positional_count(), 2u);  // "" counts, the /title one is a switch
  EXPECT_EQ(cl.positional(1), L"");
  EXPECT_EQ(cl.positional(2), L"last");
}

TEST(CommandLineSplit, ControlCharactersSeparateAndProgramNameIsSkipped) {
  CommandLine cl(L"\"C:\\Program Files\\t.exe\"\x01one\x1ftwo", L"");
  ASSERT_EQ(cl.count(), 2u);
  EXPECT_EQ(cl.param(1), L"one");
  EXPECT_EQ(cl.param(2), L"two");
  EXPECT_EQ(split(L"").count(), 0u);
  EXPECT_EQ(split(L"   ").count(), 0u);
}

TEST(CommandLineSplit, TextOutsideAnyCodePageComesThroughWhole) {
  CommandLine cl = split(L"\"caf\u00e9 \u263a\" tg\u00e9.exe \U0001F600");
  EXPECT_EQ(cl.param(1), L"caf\u00e9 \u263a");
  EXPECT_EQ(cl.positional(2), L"tg\u00e9.exe");
  EXPECT_EQ(cl.param(3), L"\U0001F600");
}

// The 8-bit splitter: a trail byte of a double-byte character (0x5C, a
// backslash, in code page 932's "ソ") never escapes the closing quote.
TEST(CommandLineSplit, MultiByteCharactersAreCopiedWhole) {
  auto cp932_lead = [](unsigned char c) { return (c >= 0x81 && c <= 0x9F) || c >= 0xE0; };
  const char* p = "\"\x83\x5C\" next";
  char out[8];
  size_t length = 0;
  ASSERT_TRUE(tw::next_token<char>(&p, out, sizeof out, &length, cp932_lead));
  EXPECT_EQ(std::string(out, length), "\x83\x5C");
}

TEST(CommandLineSwitches, AnywhereAnyCaseWholeNameOnly) {
  CommandLine cl = split(L"src -MF tgt /h exe -mfx /");
  EXPECT_TRUE(cl.has_switch("mf"));
  EXPECT_TRUE(cl.has_switch("h"));
  EXPECT_TRUE(cl.has_switch("mfx"));
  EXPECT_FALSE(cl.has_switch("m"));
  EXPECT_FALSE(cl.has_switch("fd"));
  EXPECT_TRUE(cl.has_switch(""));  // a lone "/" is a switch with an empty name
  EXPECT_EQ(cl.positional_count(), 3u);
  EXPECT_EQ(cl.positional(3), L"exe");
  EXPECT_EQ(cl.positional(4), L"");
  EXPECT_FALSE(split(L"src tgt -mfx").has_switch("mf"));
  EXPECT_FALSE(split(L"-\uff4d\uff46").has_switch("mf"));  // full-width look-alikes
}

tw::StartupOptions options(const std::string& args) {
  return tw::options_from_command_line(split(std::wstring(args.begin(), args.end())));
}

TEST(StartupOptions, DefaultsWithoutSwitches) {
  tw::StartupOptions s = options("src tgt");
  EXPECT_EQ(s.options.source_folder, L"src");
  EXPECT_EQ(s.options.target_file, L"tgt");
  EXPECT_EQ(s.options.extraction_mode, 0);
  EXPECT_EQ(s.options.extraction_folder, 0);
  EXPECT_EQ(s.options.delete_mode, 0);
  EXPECT_EQ(s.options.working_folder, 0);
  EXPECT_EQ(s.options.uac_elevation, 0);
  EXPECT_EQ(s.options.overwrite_mode, 0);
  EXPECT_FALSE(s.options.open_folder || s.options.one_instance || s.options.silent ||
               s.options.self_delete);
  EXPECT_TRUE(s.flags.show_success);
  EXPECT_FALSE(s.flags.headless || s.flags.overwrite_target);
  EXPECT_TRUE(s.flags.enough_parameters);
  EXPECT_FALSE(options("src").flags.enough_parameters);
}

TEST(StartupOptions, FirstSwitchOfEachGroupWins) {
  tw::StartupOptions s = options("/fm -fp src -fd tgt -dn -dr -wc -ws -ua -uh -os -oo custom");
  EXPECT_EQ(s.options.extraction_folder, 1);  // fd is tested before fp and fm
  EXPECT_EQ(s.options.delete_mode, 1);
  EXPECT_EQ(s.options.working_folder, 1);
  EXPECT_EQ(s.options.uac_elevation, 1);
  EXPECT_EQ(s.options.overwrite_mode, 1);
  EXPECT_EQ(options("a b -fs -fc").options.extraction_folder, 3);
  EXPECT_EQ(options("a b -fm -fs").options.extraction_folder, 4);
  EXPECT_EQ(options("a b -fm c").options.extraction_folder, 5);
  EXPECT_EQ(options("a b -dn").options.delete_mode, 2);
  EXPECT_EQ(options("a b -wc").options.working_folder, 2);
  EXPECT_EQ(options("a b -ua").options.uac_elevation, 2);
  EXPECT_EQ(options("a b -os").options.overwrite_mode, 2);
  // Switches naming the defaults change nothing.
  tw::StartupOptions d = options("a b -me -ft -we -di -un -op");
  EXPECT_EQ(d.options.extraction_mode + d.options.extraction_folder + d.options.working_folder +
                d.options.delete_mode + d.options.uac_elevation + d.options.overwrite_mode,
            0);
}

TEST(StartupOptions, FlagsFromSwitches) {
  tw::StartupOptions s = options("a b -e -i -s -d -o -c -H -iv");
  EXPECT_TRUE(s.options.open_folder && s.options.one_instance && s.options.silent &&
              s.options.self_delete);
  EXPECT_TRUE(s.flags.overwrite_target && s.flags.headless && s.flags.copy_version_from_icon);
  EXPECT_FALSE(s.flags.show_success);
}

TEST(StartupOptions, PositionalOrderFollowsTheSwitches) {
  tw::StartupOptions s = options("-h -ic -mf -fm src tgt icon.ico run.exe %TEMP%\\x \"-a b\"");
  EXPECT_EQ(s.options.icon_file, L"icon.ico");
  EXPECT_EQ(s.options.executable, L"run.exe");
  EXPECT_EQ(s.options.custom_folder, L"%TEMP%\\x");
  EXPECT_EQ(s.options.parameters, L"");  // "-a b" is a switch, not a positional
  EXPECT_EQ(s.required_positionals, 5u);
  EXPECT_TRUE(s.flags.enough_parameters);

  tw::StartupOptions p = options("-mf -fm src tgt run.exe custom params");
  EXPECT_EQ(p.options.executable, L"run.exe");
  EXPECT_EQ(p.options.custom_folder, L"custom");
  EXPECT_EQ(p.options.parameters, L"params");  // the optional fifth

  tw::StartupOptions r = options("-mf src tgt run.exe \"x y\"");
  EXPECT_EQ(r.options.parameters, L"x y");
  EXPECT_EQ(r.options.custom_folder, L"");
  EXPECT_TRUE(r.flags.enough_parameters);

  // -mf without its executable: too few.
  EXPECT_FALSE(options("-h -mf src tgt").flags.enough_parameters);
  EXPECT_FALSE(options("-ic src tgt").flags.enough_parameters);
  EXPECT_EQ(options("-ic src tgt ico").options.icon_file, L"ico");
}

}  // namespace
