#include "../../stub/inflate.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes deflate_with(const Bytes& raw, int level, int strategy) {
  z_stream z = {};
  deflateInit2(&z, level, Z_DEFLATED, 15, 8, strategy);
  Bytes out(deflateBound(&z, uLong(raw.size())) + 16);
  z.next_in = const_cast<unsigned char*>(raw.data());
  z.avail_in = uInt(raw.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

// Text-like data with long and short repeats, random bytes, long runs,
// and bytes of very different frequencies (codes longer than the tables).
Bytes sample(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b;
  while (b.size() < n) {
    switch (rng() % 5) {
      case 0:
        for (int i = 0; i < 200; ++i) b.push_back("the quick brown fox "[i % 20]);
        break;
      case 1:
        for (int i = 0; i < 300; ++i) b.push_back(static_cast<unsigned char>(rng()));
        break;
      case 2:
        b.insert(b.end(), 1000 + rng() % 3000, static_cast<unsigned char>(rng()));
        break;
      case 3:
        for (int i = 0; i < 2000; ++i) b.push_back(static_cast<unsigned char>(__builtin_ctz(rng() | 1u << 24)));
        break;
      default:
        if (b.size() > 40000) b.insert(b.end(), b.end() - 32768, b.end() - 32768 + 258);
    }
  }
  b.resize(n);
  return b;
}

// Inflates through the stream interface with the given piece sizes.
struct StreamRun {
  Bytes stream, out;
  size_t read_at = 0, claimed = 0;  // stream length told (0: its size)
  bool refuse = false;
  uint32_t sum = 0;

  tw::StreamEnd inflate(uint32_t raw, uint32_t in_cap = 1 << 20, uint32_t out_piece = 1 << 20) {
    static tw::Inflater z;
    Bytes in(in_cap + tw::kInflatePad), window(tw::kInflateHistory + out_piece + tw::kInflateSlack);
    tw::InflateIo io = {this, read, put, in.data(), in_cap, window.data(), out_piece};
    return tw::inflate_stream(&z, io, uint32_t(claimed ? claimed : stream.size()), raw, &sum);
  }
  static bool read(void* ctx, unsigned char* buf, uint32_t n) {
    StreamRun* r = static_cast<StreamRun*>(ctx);
    if (r->read_at + n > r->stream.size()) return false;
    std::copy(r->stream.begin() + long(r->read_at), r->stream.begin() + long(r->read_at + n), buf);
    r->read_at += n;
    return true;
  }
  static bool put(void* ctx, const unsigned char* p, uint32_t n) {
    StreamRun* r = static_cast<StreamRun*>(ctx);
    r->out.insert(r->out.end(), p, p + n);
    return !r->refuse;
  }
};

uint32_t byte_sum(const Bytes& b) {
  uint32_t s = 0;
  for (unsigned char c : b) s += c;
  return s;
}

// Every kind of block zlib writes inflates to the same bytes, read and
// written in one piece or in many small ones.
TEST(Inflate, AgreesWithZlib) {
  const int kLevels[][2] = {{0, Z_DEFAULT_STRATEGY}, {1, Z_DEFAULT_STRATEGY}, {9, Z_DEFAULT_STRATEGY},
                            {9, Z_FIXED},            {6, Z_HUFFMAN_ONLY},     {9, Z_RLE}};
  const uint32_t kPieces[][2] = {{1 << 20, 1 << 20}, {tw::kInflateMinInput, 300}};
  for (size_t n : {size_t(0), size_t(1), size_t(70000), size_t(600000)}) {
    Bytes raw = sample(n, unsigned(n));
    for (auto& l : kLevels) {
      for (auto& piece : kPieces) {
        StreamRun r;
        r.stream = deflate_with(raw, l[0], l[1]);
        EXPECT_EQ(r.inflate(uint32_t(n), piece[0], piece[1]), tw::kStreamDone) << n << " " << l[0] << " " << l[1];
        EXPECT_TRUE(r.out == raw) << n << " " << l[0] << " " << piece[0];
        EXPECT_EQ(r.sum, byte_sum(raw));
      }
    }
  }
}

TEST(Inflate, RefusesWhatIsNotExactlyTheStream) {
  Bytes raw = sample(5000, 5), z = deflate_with(raw, 9, Z_DEFAULT_STRATEGY);
  auto end = [&](const Bytes& stream, size_t raw_size, bool refuse = false) {
    StreamRun r;
    r.stream = stream;
    r.refuse = refuse;
    return r.inflate(uint32_t(raw_size));
  };
  EXPECT_EQ(end(z, raw.size() - 1), tw::kStreamBad);  // more than the chunk holds
  EXPECT_EQ(end(z, raw.size() + 1), tw::kStreamBad);  // fewer bytes
  EXPECT_EQ(end(Bytes(z.begin(), z.end() - 1), raw.size()), tw::kStreamBad);  // cut short
  Bytes bad = z;
  bad.back() ^= 1;  // Adler-32
  EXPECT_EQ(end(bad, raw.size()), tw::kStreamBad);
  bad = z;
  bad[1] ^= 0x20;  // preset dictionary
  EXPECT_EQ(end(bad, raw.size()), tw::kStreamBad);
  EXPECT_EQ(end(z, raw.size(), true), tw::kStreamRefused);
  StreamRun r;
  r.stream = z;
  r.claimed = z.size() + 1;  // the file ends inside the stream
  EXPECT_EQ(r.inflate(uint32_t(raw.size())), tw::kStreamUnread);
}

TEST(Inflate, Adler32AndByteSum) {
  Bytes raw = sample(100000, 3);
  uint32_t sum = 7;
  EXPECT_EQ(tw::adler32_sum(1, raw.data(), raw.size(), &sum), adler32(1, raw.data(), uInt(raw.size())));
  EXPECT_EQ(sum, 7 + byte_sum(raw));
}

}  // namespace
