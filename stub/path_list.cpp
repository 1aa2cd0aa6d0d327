#include "path_list.h"

#include <stdlib.h>

#include "wide.h"

bool PathList::add(const wchar_t* path, uint32_t value) {
  if (count_ == cap_) {
    size_t cap = cap_ ? cap_ * 2 : 64;
    void* items = realloc(items_, cap * sizeof(wchar_t*));
    if (!items) return false;
    items_ = static_cast<wchar_t**>(items);
    void* values = realloc(values_, cap * sizeof(uint32_t));
    if (!values) return false;
    values_ = static_cast<uint32_t*>(values);
    cap_ = cap;
  }
  size_t n = wlen(path) + 1;
  wchar_t* copy = static_cast<wchar_t*>(malloc(n * sizeof(wchar_t)));
  if (!copy) return false;
  for (size_t i = 0; i < n; ++i) copy[i] = path[i];
  items_[count_] = copy;
  values_[count_++] = value;
  return true;
}

void PathList::clear() {
  for (size_t i = 0; i < count_; ++i) free(items_[i]);
  free(items_);
  free(values_);
  items_ = nullptr;
  values_ = nullptr;
  count_ = cap_ = 0;
}
