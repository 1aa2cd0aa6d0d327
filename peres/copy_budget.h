#pragma once
// How much the reads of one source file may copy out of it. Every resource
// counts its data, its 16-byte data entry, its 8-byte directory entry and
// the text of its name: a sound file holds each of them once, so what it
// gives never adds up past its own size. A file whose entries share their
// data many times over would (one 1 MiB image named 300 times, one version
// block under 2,000 names); it is refused before the copies are made.
#include <stdint.h>

#include "result.h"

namespace tw::peres {

// The most an edit may add to the file it edits.
const uint64_t kMaxResourceGain = 16u << 20;

class CopyBudget {
 public:
  explicit CopyBudget(uint64_t file_size, uint64_t cap = UINT64_MAX)
      : file_size_(file_size), cap_(cap) {}

  // Counts n more bytes (before they are copied); a fault once the count
  // passes the file's size or the cap, and for every later call.
  Fault spend(uint64_t n) {
    spent_ = n > UINT64_MAX - spent_ ? UINT64_MAX : spent_ + n;
    if (spent_ > file_size_) return Fault::kLargerThanFile;
    return spent_ > cap_ ? Fault::kOverCap : Fault::kNone;
  }

 private:
  uint64_t file_size_, cap_, spent_ = 0;
};

}  // namespace tw::peres
