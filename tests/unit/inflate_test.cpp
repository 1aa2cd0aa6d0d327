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

// Text-like data with long and short repeats, random bytes, long runs.
Bytes sample(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes b;
  while (b.size() < n) {
    switch (rng() % 4) {
      case 0:
        for (int i = 0; i < 200; ++i) b.push_back("the quick brown fox "[i % 20]);
        break;
      case 1:
        for (int i = 0; i < 300; ++i) b.push_back(static_cast<unsigned char>(rng()));
        break;
      case 2:
        b.insert(b.end(), 1000 + rng() % 3000, static_cast<unsigned char>(rng()));
        break;
      default:
        if (b.size() > 40000) b.insert(b.end(), b.end() - 32768, b.end() - 32768 + 258);
    }
  }
  b.resize(n);
  return b;
}

// Every kind of block zlib writes inflates to the same bytes.
TEST(Inflate, AgreesWithZlib) {
  const int kLevels[][2] = {{0, Z_DEFAULT_STRATEGY}, {1, Z_DEFAULT_STRATEGY}, {9, Z_DEFAULT_STRATEGY},
                            {9, Z_FIXED},            {6, Z_HUFFMAN_ONLY},     {9, Z_RLE}};
  for (size_t n : {size_t(0), size_t(1), size_t(70000), size_t(600000)}) {
    Bytes raw = sample(n, unsigned(n));
    for (auto& l : kLevels) {
      Bytes z = deflate_with(raw, l[0], l[1]);
      Bytes out(n + 1, 0xEE);
      EXPECT_TRUE(tw::inflate_zlib(z.data(), z.size(), out.data(), n)) << n << " " << l[0] << " " << l[1];
      EXPECT_TRUE(std::equal(raw.begin(), raw.end(), out.begin())) << n << " " << l[0];
      EXPECT_EQ(out[n], 0xEE);  // nothing written beyond
    }
  }
}

TEST(Inflate, RefusesWhatIsNotExactlyTheStream) {
  Bytes raw = sample(5000, 5);
  Bytes z = deflate_with(raw, 9, Z_DEFAULT_STRATEGY);
  Bytes out(raw.size() + 10);
  EXPECT_FALSE(tw::inflate_zlib(z.data(), z.size(), out.data(), raw.size() - 1));  // more than room
  EXPECT_FALSE(tw::inflate_zlib(z.data(), z.size(), out.data(), raw.size() + 1));  // fewer bytes
  EXPECT_FALSE(tw::inflate_zlib(z.data(), z.size() - 1, out.data(), raw.size()));  // cut short
  Bytes bad = z;
  bad.back() ^= 1;  // Adler-32
  EXPECT_FALSE(tw::inflate_zlib(bad.data(), bad.size(), out.data(), raw.size()));
  bad = z;
  bad[1] ^= 0x20;  // preset dictionary
  EXPECT_FALSE(tw::inflate_zlib(bad.data(), bad.size(), out.data(), raw.size()));
  EXPECT_EQ(tw::adler32(1, raw.data(), raw.size()), adler32(1, raw.data(), uInt(raw.size())));
}

}  // namespace
