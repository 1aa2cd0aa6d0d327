#pragma once
// Compresses one chunk into one complete zlib stream (level 9, 15-bit window,
// memory level 8, default strategy).
#include <stddef.h>

#include <vector>

namespace tw {

class ChunkCompressor {
 public:
  // Returns the stream; valid until the next call. Throws BuildError when
  // zlib fails (the compression error message) or when the stream would be
  // longer than a reader's buffer holds (system error 8, out of memory).
  const std::vector<unsigned char>& compress(const unsigned char* data, size_t n);

 private:
  std::vector<unsigned char> out_;
};

}  // namespace tw
