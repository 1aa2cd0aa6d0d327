#pragma once
// The language of the maker's texts: Korean on a Korean system, English on
// every other; TARNWICK_LANG=ko or en chooses instead. No Win32 needed here.
namespace tw {

enum class Language { kKorean, kEnglish };

// What the override (TARNWICK_LANG's value; null or empty when unset) and the
// system's user-interface language id choose.
Language choose_language(const wchar_t* override_value, unsigned short ui_language_id);

// The language of this run, chosen once (ui_language.cpp, Win32).
Language ui_language();

// One text of the maker's tables in both languages.
struct Text {
  const wchar_t* ko;
  const wchar_t* en;
};

// The text in this run's language; Korean where no English one is given.
const wchar_t* pick(const Text& text);

}  // namespace tw
