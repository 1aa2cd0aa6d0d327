#include "startup_options.h"

namespace tw {

namespace {

// The first switch present wins; none present gives 0 (the default value).
uint8_t first_of(const CommandLine& cl, std::initializer_list<const char*> names) {
  uint8_t value = 1;
  for (const char* name : names) {
    if (cl.has_switch(name)) return value;
    ++value;
  }
  return 0;
}

}  // namespace

StartupOptions options_from_command_line(const CommandLine& cl) {
  StartupOptions s;
  BuildOptions& o = s.options;
  o.extraction_mode = cl.has_switch("mf") ? kExtractAndRun : kExtractOnly;
  o.extraction_folder = first_of(cl, {"fd", "fp", "fc", "fs", "fm"});
  o.open_folder = cl.has_switch("e");
  o.delete_mode = first_of(cl, {"dr", "dn"});
  o.working_folder = first_of(cl, {"ws", "wc"});
  o.one_instance = cl.has_switch("i");
  o.silent = cl.has_switch("s");
  o.self_delete = cl.has_switch("d");
  o.uac_elevation = first_of(cl, {"uh", "ua"});
  o.overwrite_mode = first_of(cl, {"oo", "os"});

  RunFlags& f = s.flags;
  f.overwrite_target = cl.has_switch("o");
  f.show_success = !cl.has_switch("c");
  f.headless = cl.has_switch("h");
  f.copy_version_from_icon = cl.has_switch("iv");

  // Order on the line: source, target, [icon], [executable], [custom folder],
  // [parameters]; the parameters are optional and not counted.
  size_t required = 2;
  o.source_folder = cl.positional(1);
  o.target_file = cl.positional(2);
  if (cl.has_switch("ic")) o.icon_file = cl.positional(++required);
  if (o.extraction_mode == kExtractAndRun) o.executable = cl.positional(++required);
  if (o.extraction_folder == kFolderCustom) o.custom_folder = cl.positional(++required);
  if (o.extraction_mode == kExtractAndRun) o.parameters = cl.positional(required + 1);
  s.required_positionals = required;
  f.enough_parameters = cl.positional_count() >= required;
  return s;
}

}  // namespace tw
