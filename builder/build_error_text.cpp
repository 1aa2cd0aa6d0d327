#include "build_error_text.h"

#include "messages.h"
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

}  // namespace tw
