#include "chunk_compressor.h"

#include <new>

#include "container_format.h"

namespace tw {

std::unique_ptr<ChunkCompressor> make_chunk_compressor(CompressionEngine engine) {
  return engine == CompressionEngine::kZlib ? make_zlib_compressor()
                                            : make_libdeflate_compressor();
}

void append_compressed_chunk(ChunkCompressor& compressor, const unsigned char* data, size_t n,
                             std::vector<unsigned char>& out) {
  size_t at = out.size();
  out.resize(at + 8 + compressor.bound(n));
  size_t c = compressor.compress(data, n, out.data() + at + 8, out.size() - at - 8);
  // A stream longer than a reader's buffer: the out-of-memory error.
  if (c > kChunkCompressedMax) throw std::bad_alloc();
  put_u32le(out.data() + at, uint32_t(n));
  put_u32le(out.data() + at + 4, uint32_t(c));
  out.resize(at + 8 + c);
}

}  // namespace tw
