#include "build_error_text.h"

#include <windows.h>

#include <exception>
#include <new>
#include <system_error>

#include "message_ids.h"
#include "messages.h"
#include "text_codec.h"
#include "validation.h"

namespace tw {

std::wstring describe(const BuildError& e) {
  std::wstring text;
  if (e.message_id()) {
    text = format_message(load_message(e.message_id()), {e.path()});
  } else {
    text = system_message(e.system_error());
    if (!e.path().empty()) text = e.path() + L"\r\n\r\n" + text;
    return text;
  }
  if (e.system_error()) text += L"\r\n\r\n" + system_message(e.system_error());
  return text;
}

std::wstring describe_current_exception() {
  try {
    throw;
  } catch (const BuildError& e) {
    return describe(e);
  } catch (const std::bad_alloc&) {
    return system_message(ERROR_NOT_ENOUGH_MEMORY);
  } catch (const std::system_error& e) {  // the system could not start a thread
    return system_message(unsigned(e.code().value()));
  } catch (const std::exception& e) {
    return format_message(load_message(kMsgUnexpected), {acp_to_wide(e.what())});
  }
}

}  // namespace tw
