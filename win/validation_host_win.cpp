#include "validation_host_win.h"

#include "message_box.h"
#include "messages.h"
#include "option_store.h"

namespace tw {

WinValidationHost::WinValidationHost() : PlatformValidationHost(system_platform()) {}
void WinValidationHost::save_options(const BuildOptions& options) { save_options_to_registry(options); }
std::wstring WinValidationHost::message(unsigned id) { return load_message(id); }
void WinValidationHost::show_error(const std::wstring& text) { tw::show_error(text); }
bool WinValidationHost::ask_no_default(const std::wstring& text) { return tw::ask(text, false); }

}  // namespace tw
