#include "startup.h"

#include <windows.h>


#include "build_error_text.h"
#include "build_procedure.h"
#include "carried_resources.h"
#include "command_line.h"
#include "headless_monitor.h"
#include "main_window.h"
#include "message_box.h"
#include "message_ids.h"
#include "messages.h"
#include "run_id.h"
#include "startup_options.h"
#include "validation_host_win.h"

namespace tw {

namespace {

std::wstring module_path() {
  std::wstring buf(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, &buf[0], DWORD(buf.size()));
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    buf.resize(buf.size() * 2);  // cut short: try a larger buffer
  }
}

uint64_t clock_seed() {
  FILETIME ft;
  GetSystemTimeAsFileTime(&ft);
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return (uint64_t(ft.dwHighDateTime) << 32 | ft.dwLowDateTime) ^ uint64_t(counter.QuadPart);
}

int run_headless(StartupOptions& s, const CarriedResources& carried) {
  if (!s.flags.enough_parameters) return kExitTooFewParams;
  s.options.data_compressed = true;
  WinValidationHost host;
  if (!validate(&s.options, s.flags, host)) return kExitRefused;
  try {
    HeadlessMonitor monitor(s.flags.show_success);
    return build_sfx(s.options, s.flags, carried, monitor) ? kExitBuilt : kExitFailed;
  } catch (...) {
    show_error(describe_current_exception());
  }
  return kExitFailed;
}

}  // namespace

int run_maker() {
  set_message_language(ui_language() == Language::kEnglish
                           ? MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)
                           : MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN));
  CarriedResources carried;
  if (!load_carried_resources(&carried)) {
    show_error(load_message(kMsgDamagedProgram));
    return 0;
  }
  seed_run_ids(clock_seed());
  // The wide command line: paths and texts reach the build as the user typed
  // them; what must be stored as code-page bytes is checked there.
  CommandLine cl(GetCommandLineW(), module_path());
  StartupOptions s = options_from_command_line(cl);
  if (s.flags.headless) return run_headless(s, carried);
  return run_main_window(s.options, s.flags, carried);
}

}  // namespace tw
