#pragma once
// Titles and flags of the maker's message boxes; no Win32 needed here.
#include "language.h"

namespace tw {

enum class BoxKind { kError, kInformation, kWarning, kQuestion };

// Title text, UTF-8.
const char* message_box_title(BoxKind kind, Language language);
// MessageBox flags: icon and buttons; the question with a No default adds
// MB_DEFBUTTON2.
unsigned message_box_flags(BoxKind kind, bool no_default);

}  // namespace tw
