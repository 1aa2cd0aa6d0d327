#include "cmdline_gen.h"

#include <wchar.h>

#include <vector>

#include "validation.h"

namespace tw {

namespace {

bool on(const ControlState& c) { return c.enabled && c.checked; }

bool needs_quotes(const std::wstring& v) {
  if (v[0] == L'-' || v[0] == L'/') return true;
  for (wchar_t c : v)
    if (unsigned(c) <= 0x20u) return true;  // the reader splits at every such character
  return false;
}

void append(std::wstring* line, const std::wstring& token) {
  if (token.empty()) return;
  if (!line->empty()) *line += L' ';
  *line += token;
}

}  // namespace

std::wstring command_line_value(const std::wstring& value) {
  std::wstring v = trim(value);
  if (v.empty()) return v;
  bool quoted = needs_quotes(v);
  std::wstring out;
  if (quoted) out = (v[0] == L'-' || v[0] == L'/') ? L"\" " : L"\"";
  // A run of backslashes is doubled where a quote follows it: a quote of the
  // value (which then gets its own backslash) or the closing quote.
  for (size_t i = 0; i < v.size();) {
    size_t slashes = 0;
    while (i + slashes < v.size() && v[i + slashes] == L'\\') ++slashes;
    bool at_end = i + slashes == v.size();
    bool before_quote = !at_end && v[i + slashes] == L'"';
    size_t count = (before_quote || (at_end && quoted)) ? slashes * 2 : slashes;
    out.append(count, L'\\');
    i += slashes;
    if (before_quote) {
      out += L"\\\"";
      ++i;
    } else if (!at_end) {
      out += v[i++];
    }
  }
  if (quoted) out += L'"';
  return out;
}

std::wstring generate_command_line(const CmdlineGenState& s) {
  std::wstring line;
  append(&line, command_line_value(s.tool_path));

  const bool icon = on(s.rbiconcustom) && !trim(s.eicon).empty();
  const struct {
    const wchar_t* name;
    bool present;
  } switches[] = {
      {L"ic", icon},
      {L"me", on(s.rbopenfolder)},       {L"mf", on(s.rbexecutefile)},
      {L"ft", on(s.rbtemp)},             {L"fd", on(s.rbdesktop)},
      {L"fp", on(s.rbdocuments)},        {L"fc", on(s.rbcurrent)},
      {L"fs", on(s.rbselect)},           {L"fm", on(s.rbcustom)},
      {L"e", on(s.cbopenfolder)},        {L"we", on(s.rbwdextraction)},
      {L"ws", on(s.rbwdsource)},         {L"wc", on(s.rbwdcurrent)},
      {L"di", on(s.rbdmimmediately)},    {L"dr", on(s.rbdmonreboot)},
      {L"dn", on(s.rbdmdonotdelete)},    {L"i", on(s.cboneinstance)},
      {L"s", on(s.cbsilent)},            {L"d", on(s.cbselfdelete)},
      {L"un", on(s.rbuacnone)},          {L"uh", on(s.rbuachighest)},
      {L"ua", on(s.rbuacadministrator)}, {L"op", on(s.rbomprompt)},
      {L"oo", on(s.rbomoverwrite)},      {L"os", on(s.rbomskip)},
  };
  for (const auto& sw : switches)
    if (sw.present) append(&line, std::wstring(L"-") + sw.name);

  // The positional slots the switches call for, in their order.
  std::vector<std::wstring> values = {command_line_value(s.esource),
                                      command_line_value(s.etarget)};
  if (icon) values.push_back(command_line_value(s.eicon));
  if (s.rbexecutefile.checked) values.push_back(command_line_value(s.eexecutablefile));
  if (on(s.rbcustom)) values.push_back(command_line_value(s.ecustomdir));
  if (s.ecmdparameters_enabled) values.push_back(command_line_value(s.ecmdparameters));
  while (!values.empty() && values.back().empty()) values.pop_back();
  for (const std::wstring& v : values) append(&line, v.empty() ? L"\"\"" : v);
  return line;
}

std::wstring batch_file_line(const std::wstring& line) {
  std::wstring out;
  bool quoted = false;
  for (wchar_t c : line) {
    if (c == L'"') quoted = !quoted;
    if (c == L'%') {
      out += L"%%";
      continue;
    }
    if (!quoted && wcschr(L"^&|<>()", c)) out += L'^';
    out += c;
  }
  return out;
}

}  // namespace tw
