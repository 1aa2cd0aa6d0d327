#pragma once
// A growing list of paths on the heap (the extracted files, the folders the
// stub created, the files waiting for their final name), each with a number
// of the owner's. Zero-initialised storage is a valid empty list.
// Portable: the extraction pass and its tests use it as well.
#include <stddef.h>
#include <stdint.h>

class PathList {
 public:
  // Copies path to the end of the list; false when memory runs out.
  bool add(const wchar_t* path, uint32_t value = 0);
  size_t count() const { return count_; }
  const wchar_t* at(size_t i) const { return items_[i]; }
  uint32_t value(size_t i) const { return values_[i]; }
  // Frees every path (the list is empty again).
  void clear();

 private:
  wchar_t** items_;
  uint32_t* values_;
  size_t count_;
  size_t cap_;
};
