#include "language.h"

#include <wchar.h>

namespace tw {

Language choose_language(const wchar_t* override_value, unsigned short ui_language_id) {
  if (override_value && wcscmp(override_value, L"ko") == 0) return Language::kKorean;
  if (override_value && wcscmp(override_value, L"en") == 0) return Language::kEnglish;
  const unsigned short kPrimaryKorean = 0x12;  // LANG_KOREAN, whatever the sublanguage
  return (ui_language_id & 0x3FF) == kPrimaryKorean ? Language::kKorean : Language::kEnglish;
}

}  // namespace tw
