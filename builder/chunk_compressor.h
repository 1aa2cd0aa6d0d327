#pragma once
// Compresses one chunk into one complete zlib stream (RFC 1950: header,
// deflate data, Adler-32), which any zlib inflate reads. Two engines:
// libdeflate at level 9 (the default: faster, and smaller output) and zlib
// at level 9 (15-bit window, memory level 8, default strategy). An engine
// keeps its state from chunk to chunk; one engine serves one thread.
#include <stddef.h>

#include <memory>
#include <vector>

namespace tw {

enum class CompressionEngine { kLibdeflate, kZlib };

class ChunkCompressor {
 public:
  virtual ~ChunkCompressor() = default;
  // The most bytes the stream of n raw bytes can take.
  virtual size_t bound(size_t n) = 0;
  // Writes the stream of data into out, which has room for bound(n) bytes,
  // and returns its length. Throws BuildError (the compression error).
  virtual size_t compress(const unsigned char* data, size_t n, unsigned char* out,
                          size_t room) = 0;
};

std::unique_ptr<ChunkCompressor> make_chunk_compressor(CompressionEngine engine);
std::unique_ptr<ChunkCompressor> make_zlib_compressor();
std::unique_ptr<ChunkCompressor> make_libdeflate_compressor();

// Appends one compressed chunk record to out:
//   0  4  raw length n
//   4  4  stream length c (at most 10,485,760)
//   8  c  zlib stream
// Throws BuildError (the compression error), or std::bad_alloc (out of
// memory) when the stream is longer than a reader's buffer holds.
void append_compressed_chunk(ChunkCompressor& compressor, const unsigned char* data, size_t n,
                             std::vector<unsigned char>& out);

}  // namespace tw
