#pragma once
// The order of names the console tool asks for, the same on every system:
// ordinal and without regard to case, as NTFS orders a folder. Both names
// are taken as UTF-16 code units, each upper-cased (name_order.cpp holds the
// table, so that no system's own rules come in), then compared as numbers.
#include <string>

namespace tw {

char16_t upper_unit(char16_t c);
std::u16string utf16_of(const std::wstring& w);
// The name's UTF-16 code units, upper-cased: two names that differ only in
// letter case have the same key.
std::u16string upper_key(const std::wstring& name);
// a before b by their keys; names with one key (possible on POSIX only) by
// their own code units, so that the order never depends on the listing.
bool name_before(const std::wstring& a, const std::wstring& b);

}  // namespace tw
