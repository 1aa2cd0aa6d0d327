#include "chunk_compressor.h"

#include <zlib.h>

#include "build_error.h"
#include "container_format.h"
#include "message_ids.h"

namespace tw {

namespace {

const unsigned kErrorNotEnoughMemory = 8;

struct DeflateStream {
  z_stream z = {};
  bool open = false;
  ~DeflateStream() {
    if (open) deflateEnd(&z);
  }
};

}  // namespace

const std::vector<unsigned char>& ChunkCompressor::compress(const unsigned char* data, size_t n) {
  DeflateStream s;
  if (deflateInit2(&s.z, 9, Z_DEFLATED, 15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw BuildError(kMsgCompressionError, std::wstring());
  s.open = true;

  // Start with room for n + 10% + 267 bytes (rounded down to 256) and grow
  // by 256 bytes whenever deflate asks for more.
  out_.resize((n + n / 10 + 267) & ~size_t(255));
  s.z.next_in = const_cast<unsigned char*>(data);
  s.z.avail_in = uInt(n);
  s.z.next_out = out_.data();
  s.z.avail_out = uInt(out_.size());
  for (;;) {
    int rc = deflate(&s.z, Z_FINISH);
    if (rc == Z_STREAM_END) break;
    if (rc < 0 && rc != Z_BUF_ERROR) throw BuildError(kMsgCompressionError, std::wstring());
    size_t used = s.z.total_out;
    out_.resize(out_.size() + 256);
    s.z.next_out = out_.data() + used;
    s.z.avail_out = uInt(out_.size() - used);
  }
  out_.resize(s.z.total_out);
  if (out_.size() > kChunkCompressedMax) throw BuildError::system(kErrorNotEnoughMemory);
  return out_;
}

}  // namespace tw
