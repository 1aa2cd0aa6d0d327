#pragma once
// The stub's four texts in the languages it carries, and the choice of one
// by the system's default language and ANSI code page.
#include <windows.h>

struct StubTexts {
  const wchar_t* heading;        // first line of the progress window
  const wchar_t* waiting;        // second line, followed by "..."
  const wchar_t* choose_folder;  // title of the folder-browse dialog
  const wchar_t* overwrite;      // last line of the overwrite question
  const wchar_t* damaged;        // below the SFX file's path when its data is damaged;
                                 // null: the English text
};

// Language index 0..38 (0 = English) for a language identifier and code
// page: the last matching (primary language, code page) pair wins.
int choose_language(LANGID language, UINT code_page);

// Texts of a language index; English for an index without texts of its own.
// (Several languages have no text for damaged data: they show the English.)
const StubTexts& stub_texts(int language);

// The damaged-data text of the chosen language (English before a language
// is chosen, or when the language has none).
const wchar_t* damaged_text(const StubTexts* texts);
