#pragma once
// Conversions between UTF-16 and the code pages of the system.
#include <stdint.h>

#include <string>

namespace tw {

std::wstring to_wide(uint32_t code_page, const std::string& s);
// Converts exactly: false when a character has no form in the code page
// (it would be replaced or approximated).
bool to_code_page_exact(uint32_t code_page, const std::wstring& w, std::string* out);

inline std::wstring acp_to_wide(const std::string& s) { return to_wide(0 /* CP_ACP */, s); }

}  // namespace tw
