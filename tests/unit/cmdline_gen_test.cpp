#include "cmdline_gen.h"

#include <gtest/gtest.h>

#include "command_line.h"
#include "startup_options.h"
#include "validation.h"

namespace {

const tw::ControlState kOn = {true, true}, kOff = {true, false}, kDisabledOn = {false, true};

// The main window's defaults: extract only, so the working-folder,
// delete-mode and UAC radios and the parameters edit are disabled.
tw::CmdlineGenState defaults() {
  tw::CmdlineGenState s;
  s.tool_path = L"C:\\Program Files\\tarnwick.exe";
  s.rbopenfolder = s.rbtemp = s.cbopenfolder = s.rbomprompt = kOn;
  s.rbwdextraction = s.rbdmimmediately = s.rbuacnone = kDisabledOn;
  s.esource = L"C:\\src";
  s.etarget = L" C:\\out\\setup.exe ";
  return s;
}

TEST(CmdlineGen, DefaultsFullRunModeAndAnEmptySource) {
  tw::CmdlineGenState s = defaults();
  EXPECT_EQ(tw::generate_command_line(s),
            L"\"C:\\Program Files\\tarnwick.exe\" -me -ft -e -op C:\\src C:\\out\\setup.exe");

  s.rbopenfolder = s.rbtemp = s.rbwdextraction = s.rbdmimmediately = s.rbuacnone = kOff;
  s.rbomprompt = kOff;
  s.cbopenfolder = kDisabledOn;  // disabled in run mode: left out
  s.rbexecutefile = s.rbcustom = s.rbwdsource = s.rbdmonreboot = s.cboneinstance = kOn;
  s.cbsilent = s.cbselfdelete = s.rbuacadministrator = s.rbomoverwrite = s.rbiconcustom = kOn;
  s.eicon = L"C:\\i.ico";
  s.eexecutablefile = L"C:\\src\\run.exe";
  s.ecustomdir = L"%TEMP%\\app";
  s.ecmdparameters = L"/q x";
  s.ecmdparameters_enabled = true;
  s.esource = L" \t";
  const std::wstring head =
      L"\"C:\\Program Files\\tarnwick.exe\" -ic -mf -fm -ws -dr -i -s -d -ua -oo ";
  EXPECT_EQ(tw::generate_command_line(s),
            head + L"\"\" C:\\out\\setup.exe C:\\i.ico C:\\src\\run.exe %TEMP%\\app \" /q x\"");

  // An empty value keeps its place while a later one follows.
  s.esource = L"C:\\src";
  s.ecustomdir = L" ";
  EXPECT_EQ(tw::generate_command_line(s),
            head + L"C:\\src C:\\out\\setup.exe C:\\i.ico C:\\src\\run.exe \"\" \" /q x\"");
  s.ecmdparameters = L"";
  EXPECT_EQ(tw::generate_command_line(s),
            head + L"C:\\src C:\\out\\setup.exe C:\\i.ico C:\\src\\run.exe");
}

TEST(CmdlineGen, BatchFileLineDoublesPercentAndEscapesWhatCmdReadsOutsideQuotes) {
  const struct {
    const wchar_t* line;
    const wchar_t* batch;
  } cases[] = {
      {L"t.exe -fm C:\\s %TEMP%\\app\\", L"t.exe -fm C:\\s %%TEMP%%\\app\\"},
      {L"t.exe \"a & b (50%)\" x&y^z", L"t.exe \"a & b (50%%)\" x^&y^^z"},
      {L"t.exe \"a\\\"b\" |<> \"", L"t.exe \"a\\\"b\" |<> \""},  // cmd's quotes toggle at \"
  };
  for (const auto& c : cases) EXPECT_EQ(tw::batch_file_line(c.line), c.batch) << c.line;
}

// Whatever the value, the command-line reader gives it back (the build
// trims the values, and with them the blank that keeps "/q" from being a
// switch).
TEST(CmdlineGen, ValuesReadBackExactly) {
  for (const wchar_t* value : {L"C:\\Out\\", L"C:\\My Out\\", L"C:\\My Out\\\\", L"a\"b",
                               L"a\\\"b c", L"\"", L"\\", L"-dash", L"tab\there\\",
                               L"/title \"첫 번째\" \\\\srv\\", L"%TEMP%\\설치 폴더\\"}) {
    tw::CmdlineGenState s = defaults();
    s.rbexecutefile = s.rbcustom = kOn;
    s.esource = s.etarget = s.eexecutablefile = s.ecustomdir = s.ecmdparameters = value;
    s.ecmdparameters_enabled = true;
    const std::wstring line = tw::generate_command_line(s);
    tw::BuildOptions o = tw::options_from_command_line(tw::CommandLine(line, L"")).options;
    for (const std::wstring* got :
         {&o.source_folder, &o.target_file, &o.executable, &o.custom_folder, &o.parameters})
      EXPECT_EQ(tw::trim(*got), value) << line;
  }
}

}  // namespace
