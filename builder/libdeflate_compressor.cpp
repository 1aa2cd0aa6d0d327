// The libdeflate engine: whole-buffer deflate at level 9 in zlib framing.
// One compressor object, allocated once and used for every chunk.
#include <libdeflate.h>

#include "build_error.h"
#include "chunk_compressor.h"
#include "message_ids.h"

namespace tw {

namespace {

const int kLevel = 9;

class LibdeflateCompressor : public ChunkCompressor {
 public:
  LibdeflateCompressor() : c_(libdeflate_alloc_compressor(kLevel)) {
    if (!c_) throw BuildError(kMsgCompressionError, std::wstring());
    // libdeflate picks its processor-specific routines on first use and
    // stores the choice in globals: settle it here, on the thread that
    // creates the engines, before any worker runs.
    unsigned char probe[16];
    libdeflate_zlib_compress(c_, "", 0, probe, sizeof probe);
  }
  ~LibdeflateCompressor() override { libdeflate_free_compressor(c_); }
  LibdeflateCompressor(const LibdeflateCompressor&) = delete;
  LibdeflateCompressor& operator=(const LibdeflateCompressor&) = delete;

  size_t bound(size_t n) override { return libdeflate_zlib_compress_bound(c_, n); }

  size_t compress(const unsigned char* data, size_t n, unsigned char* out,
                  size_t room) override {
    size_t c = libdeflate_zlib_compress(c_, data, n, out, room);
    if (c == 0) throw BuildError(kMsgCompressionError, std::wstring());  // no room
    return c;
  }

 private:
  libdeflate_compressor* c_;
};

}  // namespace

std::unique_ptr<ChunkCompressor> make_libdeflate_compressor() {
  return std::make_unique<LibdeflateCompressor>();
}

}  // namespace tw
