#pragma once
// What the progress window shows for a state of the build.
#include <stdint.h>

#include <string>

namespace tw {

const int kBarRange = 1000;

// Rounded share of the current file; a full bar for an empty file.
int file_bar_position(uint64_t done, uint64_t size);
// Share of all bytes, cut to a whole step; 0 while the total is 0.
int total_bar_position(uint64_t done, uint64_t total);
// "1.50 MB / 3.00 MB   (50%)"; the total must not be 0.
std::wstring size_line(uint64_t done, uint64_t total);

}  // namespace tw
