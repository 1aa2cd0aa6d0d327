#pragma once
// The command line that reproduces the main window's options (shown by the
// generator window): the tool's path, the switch of every enabled and
// checked control in a fixed order, then the positional values.
#include <string>

namespace tw {

struct ControlState {
  bool enabled = true;
  bool checked = false;
};

// What the generator reads from the main window; each member is named after
// its control. The window helper fills it; plain data, no window handles.
struct CmdlineGenState {
  std::wstring tool_path;  // the tool's own full path

  ControlState rbiconcustom;
  ControlState rbopenfolder, rbexecutefile;
  ControlState rbtemp, rbdesktop, rbdocuments, rbcurrent, rbselect, rbcustom;
  ControlState cbopenfolder;
  ControlState rbwdextraction, rbwdsource, rbwdcurrent;
  ControlState rbdmimmediately, rbdmonreboot, rbdmdonotdelete;
  ControlState cboneinstance, cbsilent, cbselfdelete;
  ControlState rbuacnone, rbuachighest, rbuacadministrator;
  ControlState rbomprompt, rbomoverwrite, rbomskip;

  std::wstring esource, etarget, eicon, eexecutablefile, ecustomdir, ecmdparameters;
  bool ecmdparameters_enabled = false;
};

// The line, tokens separated by one blank. Each value is trimmed; it is
// quoted and escaped so that the maker's command-line reader gives it back
// exactly (a value that starts with "-" or "/" gets a blank in front, inside
// the quotes, so that it is not read as a switch; the build trims it away
// again). An empty value is written "" when a later positional value
// follows, so that every value keeps its place; else it is left out.
std::wstring generate_command_line(const CmdlineGenState& s);

// The line as a batch file (.bat, .cmd) must hold it so that cmd passes it
// on unchanged: every % doubled, and ^ & | < > ( ) escaped with ^ where cmd
// reads them outside quotes (cmd's quotes: every " toggles).
std::wstring batch_file_line(const std::wstring& line);

// One value as the line writes it; empty text for an empty value.
std::wstring command_line_value(const std::wstring& value);

}  // namespace tw
