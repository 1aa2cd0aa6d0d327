#pragma once
// Conversions between UTF-16 and the system (ANSI) code page.
#include <string>

namespace tw {

std::wstring acp_to_wide(const std::string& s);
// Converts exactly: false when a character has no form in the code page
// (it would be replaced or approximated).
bool wide_to_acp_exact(const std::wstring& w, std::string* out);
bool is_acp_lead_byte(unsigned char c);
// Cuts s to at most max_bytes without splitting a two-byte character.
std::string cut_acp(const std::string& s, size_t max_bytes);

}  // namespace tw
