#include <windows.h>

#include "language.h"

namespace tw {

Language ui_language() {
  static const Language chosen = [] {
    wchar_t value[8] = L"";
    DWORD n = GetEnvironmentVariableW(L"TARNWICK_LANG", value, 8);
    return choose_language(n > 0 && n < 8 ? value : nullptr, GetUserDefaultUILanguage());
  }();
  return chosen;
}

const wchar_t* pick(const Text& text) {
  if (ui_language() == Language::kEnglish && text.en) return text.en;
  return text.ko ? text.ko : L"";
}

}  // namespace tw
