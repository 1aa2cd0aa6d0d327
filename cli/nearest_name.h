#pragma once
// The valid name a mistyped one most likely meant: the only candidate it
// begins, else the closest by edit distance (a swap of two neighbours
// counts as one edit) when that is near enough to be a typing slip.
#include <string>
#include <vector>

namespace tw::cli {

// Edits between a and b: insertions, deletions, substitutions and swaps of
// adjacent characters.
size_t edit_distance(const std::string& a, const std::string& b);

// "" when no candidate is near enough.
std::string nearest_name(const std::string& given, const std::vector<std::string>& candidates);

}  // namespace tw::cli
