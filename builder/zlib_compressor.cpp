// The zlib engine: deflate at level 9, 15-bit window, memory level 8,
// default strategy. One stream state, reset for every chunk.
#include <zlib.h>

#include "build_error.h"
#include "chunk_compressor.h"
#include "message_ids.h"

namespace tw {

namespace {

class ZlibCompressor : public ChunkCompressor {
 public:
  ZlibCompressor() {
    if (deflateInit2(&z_, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
      throw BuildError(kMsgCompressionError, std::wstring());
  }
  ~ZlibCompressor() override { deflateEnd(&z_); }
  ZlibCompressor(const ZlibCompressor&) = delete;
  ZlibCompressor& operator=(const ZlibCompressor&) = delete;

  size_t bound(size_t n) override { return deflateBound(&z_, uLong(n)); }

  size_t compress(const unsigned char* data, size_t n, unsigned char* out,
                  size_t room) override {
    if (deflateReset(&z_) != Z_OK) throw BuildError(kMsgCompressionError, std::wstring());
    z_.next_in = const_cast<unsigned char*>(data);
    z_.avail_in = uInt(n);
    z_.next_out = out;
    z_.avail_out = uInt(room);
    if (deflate(&z_, Z_FINISH) != Z_STREAM_END)
      throw BuildError(kMsgCompressionError, std::wstring());
    return z_.total_out;
  }

 private:
  z_stream z_ = {};
};

}  // namespace

std::unique_ptr<ChunkCompressor> make_zlib_compressor() {
  return std::make_unique<ZlibCompressor>();
}

}  // namespace tw
