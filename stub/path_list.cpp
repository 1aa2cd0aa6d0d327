#include "path_list.h"

#include <stdlib.h>

#include "wide.h"

bool PathList::add(const wchar_t* path) {
  if (count_ == cap_) {
    size_t cap = cap_ ? cap_ * 2 : 64;
    void* grown = realloc(items_, cap * sizeof(wchar_t*));
    if (!grown) return false;
    items_ = static_cast<wchar_t**>(grown);
    cap_ = cap;
  }
  size_t n = wlen(path) + 1;
  wchar_t* copy = static_cast<wchar_t*>(malloc(n * sizeof(wchar_t)));
  if (!copy) return false;
  for (size_t i = 0; i < n; ++i) copy[i] = path[i];
  items_[count_++] = copy;
  return true;
}

void PathList::clear() {
  for (size_t i = 0; i < count_; ++i) free(items_[i]);
  free(items_);
  items_ = nullptr;
  count_ = cap_ = 0;
}
