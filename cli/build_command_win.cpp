#include <stdlib.h>
#include <windows.h>

#include <new>

#include "build_command.h"
#include "build_error_words.h"
#include "build_procedure.h"
#include "console.h"
#include "console_monitor.h"
#include "error_words.h"
#include "exit_codes.h"
#include "message_ids.h"
#include "option_mapping.h"
#include "report.h"
#include "run_id.h"
#include "utf.h"
#include "validation.h"
#include "validation_host_win.h"
#include "win_paths.h"

namespace tw::cli {

namespace {

// Validation as the maker runs it, its refusals as lines on standard error
// instead of boxes; it never asks.
class ConsoleValidationHost : public WinValidationHost {
 public:
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
bool target_accepted(const BuildChoices& c, const BuildOptions& o, ValidationHost& host) {
  if (!c.version_from.empty() && !host.file_exists(host.full_path(wide_of(c.version_from)))) {
    report_error(c.version_from + ": version file not found");
    return false;
  }
  std::wstring folder = parent_folder(o.target_file);
  if (!folder.empty() && !host.directory_exists(folder + L"\\")) {
    report_error(utf8_of(o.target_file) + ": its folder does not exist");
    return false;
  }
  if (!c.force && host.file_exists(o.target_file)) {
    report_error(utf8_of(o.target_file) + ": exists; --force replaces it");
    return false;
  }
  return true;
}

uint64_t clock_seed() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return (uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) ^ uint64_t(counter.QuadPart);
}

}  // namespace

int run_build(const BuildChoices& c) {
  MappedBuild m = map_build_choices(c);
  ConsoleValidationHost host;
  if (!validate(&m.options, m.flags, host) || !target_accepted(c, m.options, host)) return kExitRefused;
  CarriedResources carried;
  if (!load_carried_resources(&carried)) {
    report_error("the program is damaged: a file it carries is missing");
    return kExitFailed;
  }
  if (c.threads) _putenv_s("TARNWICK_THREADS", std::to_string(c.threads).c_str());
  seed_run_ids(clock_seed());
  try {
    ConsoleMonitor monitor;
    build_sfx(m.options, m.flags, carried, monitor);
    return kExitOk;
  } catch (const BuildError& e) {
    report_error(build_error_words(e));
  } catch (const std::bad_alloc&) {
    report_error(error_words(ERROR_NOT_ENOUGH_MEMORY));
  } catch (const std::exception& e) {
    report_error(std::string("unexpected error: ") + e.what());
  }
  return kExitFailed;
}

}  // namespace tw::cli
