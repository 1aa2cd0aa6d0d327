#include "build_command.h"

#include <stdlib.h>

#include <chrono>
#include <new>
#include <random>
#include <stdexcept>
#include <system_error>

#include "build_error_words.h"
#include "build_procedure.h"
#include "carried_resources.h"
#include "console_monitor.h"
#include "error_words.h"
#include "exit_codes.h"
#include "message_ids.h"
#include "option_mapping.h"
#include "path_text.h"
#include "report.h"
#include "run_id.h"
#include "system_codes.h"
#include "utf.h"
#include "validation_host_platform.h"

namespace tw::cli {

namespace {

// Validation as the maker runs it, its refusals as lines on standard error
// instead of boxes; it never asks and stores nothing.
class ConsoleValidationHost : public PlatformValidationHost {
 public:
  using PlatformValidationHost::PlatformValidationHost;
  void save_options(const BuildOptions&) override {}
  std::wstring message(unsigned id) override {
    switch (id) {
      case kMsgNoSourceFolder: return L"%s: source folder not found";
      case kMsgNoIconFile: return L"%s: icon file not found";
      case kMsgNoExecutable: return L"%s: run file not found";
      case kMsgExecutableOutsideSource: return L"%s: the run file is not inside the source folder %s";
    }
    return L"refused (" + std::to_wstring(id) + L")";
  }
  void show_error(const std::wstring& text) override { report_error(utf8_of(text)); }
  bool ask_no_default(const std::wstring&) override { return false; }
};

// What the console tool refuses beyond the maker's validation: a version
// source that is not there, a target whose folder is missing (a mistyped
// path makes no new folders), an existing target without --force.
bool target_accepted(const BuildChoices& c, const BuildOptions& o, ConsoleValidationHost& host) {
  if (!c.version_from.empty() && !host.file_exists(host.full_path(wide_of(c.version_from)))) {
    report_error(c.version_from + ": version file not found");
    return false;
  }
  std::wstring folder = folder_part(o.target_file, host.separator());
  if (!folder.empty() && !host.directory_exists(folder)) {
    report_error(utf8_of(o.target_file) + ": its folder does not exist");
    return false;
  }
  if (!c.force && host.file_exists(o.target_file)) {
    report_error(utf8_of(o.target_file) + ": exists; --force replaces it");
    return false;
  }
  return true;
}

// The run id: given, else from SOURCE_DATE_EPOCH when that is set, else
// random. False (reported) for a SOURCE_DATE_EPOCH that is no number.
bool choose_run_id(const BuildChoices& c, BuildMode* mode) {
  mode->run_id = c.run_id;
  const char* epoch = getenv("SOURCE_DATE_EPOCH");
  if (mode->run_id.empty() && epoch && *epoch) {
    mode->run_id = run_id_from_source_date_epoch(epoch);
    if (mode->run_id.empty()) {
      report_error(std::string("SOURCE_DATE_EPOCH: '") + epoch + "' is not a decimal number of seconds");
      return false;
    }
  }
  std::random_device entropy;
  seed_run_ids(uint64_t(std::chrono::steady_clock::now().time_since_epoch().count()) ^ entropy());
  return true;
}

// Failures of what the source holds come before anything is written: the
// input is refused. The others end a build that had begun.
bool refused_source(const BuildError& e) {
  switch (e.message_id()) {
    case kMsgFileTooLarge:
    case kMsgNameNotRepresentable:
    case kMsgTargetIsRunFile:
    case kMsgLinkInSource:
    case kMsgSpecialFileInSource:
    case kMsgNamesWindowsCannotHold: return true;
  }
  return false;
}

int report_failure() {
  try {
    throw;
  } catch (const BuildError& e) {
    for (const std::string& line : build_error_lines(e, windows_code_of)) report_error(line);
    return refused_source(e) ? kExitRefused : kExitFailed;
  } catch (const std::bad_alloc&) {
    report_error(error_words(8));
  } catch (const std::system_error& e) {  // no thread could be started
    report_error(error_words(windows_code_of(uint32_t(e.code().value()))));
  } catch (const std::exception& e) {
    report_error(std::string("unexpected error: ") + e.what());
  }
  return kExitFailed;
}

}  // namespace

int run_build(const BuildChoices& c) {
  Platform& platform = system_platform();
  MappedBuild m = map_build_choices(c);
  ConsoleValidationHost host(platform);
  if (!validate(&m.options, m.flags, host) || !target_accepted(c, m.options, host)) return kExitRefused;
  if (!choose_run_id(c, &m.options.mode)) return kExitUsage;
  CarriedResources carried;
  if (!load_carried_resources(&carried)) {
    report_error("the program is damaged: a file it carries is missing");
    return kExitFailed;
  }
  if (!c.version_from.empty()) m.options.mode.version_file = host.full_path(wide_of(c.version_from));
  try {
    ConsoleMonitor monitor(c.strict);
    return build_sfx(m.options, m.flags, carried, monitor, platform).completed ? kExitOk : kExitFailed;
  } catch (...) {
    return report_failure();
  }
}

}  // namespace tw::cli
