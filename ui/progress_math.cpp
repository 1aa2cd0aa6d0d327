#include "progress_math.h"

#include <stdio.h>

#include "size_text.h"

namespace tw {

namespace {

std::wstring size_wide(uint64_t bytes) {
  char text[40];
  size_t n = size_text(int64_t(bytes), text, sizeof text);
  return std::wstring(text, text + n);
}

}  // namespace

int file_bar_position(uint64_t done, uint64_t size) {
  if (size == 0) return kBarRange;
  return int((done * kBarRange + size / 2) / size);
}

int total_bar_position(uint64_t done, uint64_t total) {
  return total == 0 ? 0 : int(done * kBarRange / total);
}

std::wstring size_line(uint64_t done, uint64_t total) {
  wchar_t percent[16];
  swprintf(percent, 16, L"%d%%", int(done * 100 / total));
  return size_wide(done) + L" / " + size_wide(total) + L"   (" + percent + L")";
}

}  // namespace tw
