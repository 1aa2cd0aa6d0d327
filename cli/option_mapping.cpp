#include "option_mapping.h"

#include "utf.h"

namespace tw::cli {

MappedBuild map_build_choices(const BuildChoices& c) {
  MappedBuild m;
  BuildOptions& o = m.options;
  o.source_folder = wide_of(c.source);
  o.target_file = wide_of(c.target);
  o.icon_file = wide_of(c.icon);
  o.executable = wide_of(c.run_file);
  o.parameters = wide_of(c.args);
  o.custom_folder = wide_of(c.custom_folder);
  o.extraction_mode = c.run_file.empty() ? kExtractOnly : kExtractAndRun;
  o.extraction_folder = c.folder;
  o.open_folder = c.open_folder;
  o.data_compressed = true;
  o.one_instance = c.one_instance;
  o.silent = c.silent;
  o.self_delete = c.self_delete;
  o.delete_mode = c.delete_mode;
  o.working_folder = c.workdir;
  o.uac_elevation = c.uac;
  o.overwrite_mode = c.overwrite;
  // The same bytes on every system: names in one order, one code page when
  // asked for, and only names every Windows folder can hold.
  o.mode.order_by_name = true;
  o.mode.codepage = c.codepage;
  o.mode.windows_names_only = true;
  o.mode.threads = c.threads;

  RunFlags& f = m.flags;
  f.overwrite_target = true;
  f.show_success = false;
  f.headless = true;
  f.enough_parameters = true;
  return m;
}

}  // namespace tw::cli
