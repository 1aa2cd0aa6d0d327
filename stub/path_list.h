#pragma once
// A growing list of paths on the process heap (the extracted files and the
// folders the stub created). Zero-initialised storage is a valid empty list.
#include <stddef.h>
#include <windows.h>

class PathList {
 public:
  // Copies path to the end of the list; false when memory runs out.
  bool add(const wchar_t* path);
  size_t count() const { return count_; }
  const wchar_t* at(size_t i) const { return items_[i]; }

 private:
  wchar_t** items_;
  size_t count_;
  size_t cap_;
};
