#include "validation.h"

#include "message_ids.h"

namespace tw {

std::wstring trim(const std::wstring& s) {
  size_t b = 0, e = s.size();
  while (b < e && unsigned(s[b]) <= 0x20u) ++b;
  while (e > b && unsigned(s[e - 1]) <= 0x20u) --e;
  return s.substr(b, e - b);
}

std::wstring format_message(const std::wstring& pattern, std::initializer_list<std::wstring> args) {
  std::wstring out;
  auto arg = args.begin();
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] == L'%' && i + 1 < pattern.size() && pattern[i + 1] == L's') {
      if (arg != args.end()) out += *arg++;
      ++i;
    } else {
      out += pattern[i];
    }
  }
  return out;
}

namespace {

std::wstring with_trailing(std::wstring s, wchar_t separator) {
  if (!s.empty() && s.back() != separator) s += separator;
  return s;
}

std::wstring absolute(const std::wstring& s, PathHost& host) {
  return s.empty() ? s : host.full_path(s);
}

}  // namespace

void normalise(BuildOptions* o, PathHost& host) {
  std::wstring source = trim(o->source_folder);
  if (!source.empty()) source = with_trailing(host.full_path(source), host.separator());
  o->source_folder = source;
  o->target_file = absolute(trim(o->target_file), host);
  o->executable = absolute(trim(o->executable), host);
  o->parameters = trim(o->parameters);
  // The custom folder may start with an environment reference: it is not
  // made absolute here.
  o->custom_folder = with_trailing(trim(o->custom_folder), L'\\');
}

bool validate(BuildOptions* o, const RunFlags& flags, ValidationHost& host) {
  normalise(o, host);
  if (!flags.enough_parameters) host.save_options(*o);

  if (!host.directory_exists(o->source_folder)) {
    host.show_error(format_message(host.message(kMsgNoSourceFolder), {o->source_folder}));
    return false;
  }
  std::wstring icon = trim(o->icon_file);
  if (!icon.empty() && !host.file_exists(icon)) {
    host.show_error(format_message(host.message(kMsgNoIconFile), {o->icon_file}));
    return false;
  }
  if (o->extraction_mode == kExtractAndRun) {
    if (!host.file_exists(o->executable)) {
      host.show_error(format_message(host.message(kMsgNoExecutable), {o->executable}));
      return false;
    }
    if (!host.starts_with_ignoring_case(o->executable, o->source_folder)) {
      host.show_error(format_message(host.message(kMsgExecutableOutsideSource),
                                     {o->executable, o->source_folder}));
      return false;
    }
  }
  if (flags.overwrite_target) return true;
  if (host.file_exists(o->target_file)) return host.ask_no_default(host.message(kMsgTargetExists));
  return true;
}

}  // namespace tw
