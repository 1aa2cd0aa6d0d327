#include "validation_host_win.h"

#include "message_box.h"
#include "messages.h"
#include "option_store.h"
#include "win_paths.h"

namespace tw {

std::wstring WinValidationHost::full_path(const std::wstring& path) { return full_path_of(path); }
bool WinValidationHost::directory_exists(const std::wstring& path) { return tw::directory_exists(path); }
bool WinValidationHost::file_exists(const std::wstring& path) { return tw::file_exists(path); }
bool WinValidationHost::starts_with_ignoring_case(const std::wstring& text, const std::wstring& prefix) {
  return tw::starts_with_ignoring_case(text, prefix);
}
void WinValidationHost::save_options(const BuildOptions& options) { save_options_to_registry(options); }
std::wstring WinValidationHost::message(unsigned id) { return load_message(id); }
void WinValidationHost::show_error(const std::wstring& text) { tw::show_error(text); }
bool WinValidationHost::ask_no_default(const std::wstring& text) { return tw::ask(text, false); }

}  // namespace tw
