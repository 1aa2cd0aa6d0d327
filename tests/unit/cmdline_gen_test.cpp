#include "cmdline_gen.h"

#include <gtest/gtest.h>

#include "command_line.h"
#include "startup_options.h"
#include "validation.h"

namespace {

using tw::ControlState;

const ControlState kOn = {true, true}, kDisabledOn = {false, true};

// The main window's defaults: extract only, so the working-folder,
// delete-mode and UAC radios and the parameters edit are disabled.
tw::CmdlineGenState defaults() {
  tw::CmdlineGenState s;
  s.tool_path = L"C:\\Program Files\\Tarnwick\\tarnwick.exe";
  s.rbopenfolder = s.rbtemp = s.cbopenfolder = s.rbomprompt = kOn;
  s.rbwdextraction = s.rbdmimmediately = s.rbuacnone = kDisabledOn;
  s.esource = L"C:\\src";
  s.etarget = L" C:\\out\\setup.exe ";
  return s;
}

TEST(CmdlineGen, DefaultsAndAnEmptySource) {
  tw::CmdlineGenState s = defaults();
  EXPECT_EQ(tw::generate_command_line(s),
            L"\"C:\\Program Files\\Tarnwick\\tarnwick.exe\" -me -ft -e -op C:\\src C:\\out\\setup.exe");
  s.esource = L" \t";
  EXPECT_EQ(tw::generate_command_line(s),
            L"\"C:\\Program Files\\Tarnwick\\tarnwick.exe\" -me -ft -e -op C:\\out\\setup.exe");
}

TEST(CmdlineGen, FullRunModeSetup) {
  tw::CmdlineGenState s = defaults();
  s.tool_path = L"C:\\t\\tarnwick.exe";
  s.rbopenfolder = {true, false};
  s.rbexecutefile = kOn;
  s.cbopenfolder = kDisabledOn;  // disabled in run mode: left out
  s.rbtemp = {true, false};
  s.rbcustom = kOn;
  s.rbwdextraction = {true, false};
  s.rbwdsource = s.rbdmonreboot = s.cboneinstance = s.cbsilent = s.cbselfdelete = kOn;
  s.rbdmimmediately = s.rbuacnone = {true, false};
  s.rbuacadministrator = s.rbomoverwrite = s.rbiconcustom = kOn;
  s.rbomprompt = {true, false};
  s.eicon = L"C:\\i.ico";
  s.eexecutablefile = L"C:\\src\\run.exe";
  s.ecustomdir = L"%TEMP%\\app";
  s.ecmdparameters = L"/q x";
  s.ecmdparameters_enabled = true;
  EXPECT_EQ(tw::generate_command_line(s),
            L"C:\\t\\tarnwick.exe -ic -mf -fm -ws -dr -i -s -d -ua -oo C:\\src C:\\out\\setup.exe "
            L"C:\\i.ico C:\\src\\run.exe %TEMP%\\app \" /q x\"");
}

// Whatever the value, the command-line reader gives it back (the build
// trims the values, and with them the blank that keeps "/q" from being a
// switch).
TEST(CmdlineGen, ValuesReadBackExactly) {
  const wchar_t* values[] = {
      L"C:\\Out\\",           L"C:\\My Out\\",        L"C:\\My Out\\\\",   L"a\"b",
      L"a\\\"b c",            L"\"",                  L"\\",               L"-dash",
      L"/title \"첫 번째\" \\\\srv\\",  L"%TEMP%\\설치 폴더\\",  L"tab\there\\",
  };
  for (const wchar_t* value : values) {
    tw::CmdlineGenState s = defaults();
    s.rbexecutefile = s.rbcustom = kOn;
    s.esource = s.etarget = s.eexecutablefile = s.ecustomdir = s.ecmdparameters = value;
    s.ecmdparameters_enabled = true;
    tw::CommandLine cl(tw::generate_command_line(s), L"");
    tw::BuildOptions o = tw::options_from_command_line(cl).options;
    for (const std::wstring* got :
         {&o.source_folder, &o.target_file, &o.executable, &o.custom_folder, &o.parameters})
      EXPECT_EQ(tw::trim(*got), value) << tw::generate_command_line(s);
  }
}

}  // namespace
