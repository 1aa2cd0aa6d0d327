#pragma once
// The four kinds of message box every message of the maker goes through.
#include <string>

#include "message_box_kind.h"

typedef struct HWND__* HWND;

namespace tw {

// The window that owns the boxes (the main window once it exists).
void set_message_box_owner(HWND owner);

void show_error(const std::wstring& text);
void show_information(const std::wstring& text);
void show_warning(const std::wstring& text);
// Yes/No question; true only for Yes (closing the box counts as No).
bool ask(const std::wstring& text, bool yes_is_default);

}  // namespace tw
