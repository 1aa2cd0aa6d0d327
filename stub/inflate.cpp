#include "inflate.h"

namespace tw {

namespace {

// The bit reader and the table look-up run for every symbol: inlined even
// where the stub is built for size.
#define TW_HOT inline __attribute__((always_inline))

const int kMaxBits = 15;
const int kFastBits = 10;  // codes this short decode with one table look-up

// A canonical Huffman code: counts of codes per length, the symbols in code
// order, and a table indexed by the next kFastBits input bits (reversed
// code) holding symbol << 4 | length, 0 where the code is longer.
struct Huffman {
  uint16_t fast[1 << kFastBits];
  uint16_t count[kMaxBits + 1];
  uint16_t symbol[288];
};

struct Bits {
  const unsigned char* in;
  size_t n;
  size_t pos;  // next byte to load; may pass n (zeros are loaded there)
  uint32_t buf;
  int count;
};

TW_HOT void refill(Bits* s) {
  if (s->count > 24) return;
  if (s->n - s->pos >= 4 && s->pos <= s->n) {
    // Four bytes at once; those beyond the whole bytes taken are loaded
    // again (the same bits) by the next refill.
    const unsigned char* p = s->in + s->pos;
    uint32_t word = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    s->buf |= word << s->count;
    int k = (31 - s->count) >> 3;
    s->pos += size_t(k);
    s->count += 8 * k;
    return;
  }
  while (s->count <= 24) {
    uint32_t byte = s->pos < s->n ? s->in[s->pos] : 0;
    ++s->pos;
    s->buf |= byte << s->count;
    s->count += 8;
  }
}

TW_HOT uint32_t take(Bits* s, int k) {
  refill(s);
  uint32_t v = s->buf & ((1u << k) - 1);
  s->buf >>= k;
  s->count -= k;
  return v;
}

// Position of the next whole byte (the bits left of the current one are
// dropped); beyond n when the stream ran past its end.
size_t byte_position(Bits* s) {
  s->buf >>= s->count & 7;
  s->count &= ~7;
  return s->pos - size_t(s->count / 8);
}

bool build(Huffman* h, const unsigned char* lengths, int n) {
  for (int i = 0; i <= kMaxBits; ++i) h->count[i] = 0;
  for (int i = 0; i < n; ++i) ++h->count[lengths[i]];
  h->count[0] = 0;
  int left = 1;
  uint16_t offset[kMaxBits + 2];
  offset[1] = 0;
  for (int len = 1; len <= kMaxBits; ++len) {
    left = (left << 1) - h->count[len];
    if (left < 0) return false;  // more codes than the lengths allow
    offset[len + 1] = uint16_t(offset[len] + h->count[len]);
  }
  for (int i = 0; i < n; ++i) {
    if (lengths[i]) h->symbol[offset[lengths[i]]++] = uint16_t(i);
  }
  for (int i = 0; i < (1 << kFastBits); ++i) h->fast[i] = 0;
  uint32_t code = 0;
  int index = 0;
  for (int len = 1; len <= kFastBits; ++len) {
    for (int k = 0; k < h->count[len]; ++k, ++code) {
      uint32_t reversed = 0;
      for (int b = 0; b < len; ++b) reversed |= ((code >> b) & 1) << (len - 1 - b);
      for (uint32_t j = reversed; j < (1u << kFastBits); j += 1u << len) {
        h->fast[j] = uint16_t(h->symbol[index + k] << 4 | len);
      }
    }
    index += h->count[len];
    code <<= 1;
  }
  return true;
}

// Codes longer than the table: one bit at a time through the canonical
// counts.
__attribute__((noinline)) int decode_long(Bits* s, const Huffman* h) {
  int code = 0, first = 0, index = 0;
  for (int len = 1; len <= kMaxBits; ++len) {
    code |= int(take(s, 1));
    int count = h->count[len];
    if (code - first < count) return h->symbol[index + code - first];
    index += count;
    first = (first + count) << 1;
    code <<= 1;
  }
  return -1;
}

// The next symbol, or -1 for a code the table does not hold.
TW_HOT int decode(Bits* s, const Huffman* h) {
  refill(s);
  uint16_t e = h->fast[s->buf & ((1u << kFastBits) - 1)];
  if (!e) return decode_long(s, h);
  s->buf >>= e & 15;
  s->count -= e & 15;
  return e >> 4;
}

const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t kDistBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

struct Output {
  unsigned char* p;
  size_t size;
  size_t pos;
};

// Literals and matches until the end-of-block symbol.
bool codes(Bits* s, Output* o, const Huffman* lit, const Huffman* dist) {
  for (;;) {
    int sym = decode(s, lit);
    if (sym < 256) {
      if (sym < 0 || o->pos == o->size) return false;
      o->p[o->pos++] = static_cast<unsigned char>(sym);
      continue;
    }
    if (sym == 256) return true;
    sym -= 257;
    if (sym >= 29) return false;
    size_t len = kLengthBase[sym] + take(s, kLengthExtra[sym]);
    int d = decode(s, dist);
    if (d < 0 || d >= 30) return false;
    size_t distance = kDistBase[d] + take(s, kDistExtra[d]);
    if (distance > o->pos || len > o->size - o->pos) return false;
    unsigned char* to = o->p + o->pos;
    const unsigned char* from = to - distance;
    o->pos += len;
    if (distance >= 4) {  // no overlap within four bytes
      for (; len >= 4; len -= 4, to += 4, from += 4) __builtin_memcpy(to, from, 4);
    }
    while (len--) *to++ = *from++;  // overlapping: byte by byte
  }
}

bool stored(Bits* s, Output* o) {
  size_t at = byte_position(s);
  if (at > s->n || s->n - at < 4) return false;
  const unsigned char* p = s->in + at;
  size_t len = size_t(p[0] | p[1] << 8);
  if (size_t(p[2] | p[3] << 8) != (~len & 0xFFFF)) return false;
  at += 4;
  if (len > s->n - at || len > o->size - o->pos) return false;
  __builtin_memcpy(o->p + o->pos, s->in + at, len);
  o->pos += len;
  s->pos = at + len;
  s->buf = 0;
  s->count = 0;
  return true;
}

struct Tables {
  Huffman lit, dist;
};

bool fixed(Bits* s, Output* o) {
  static Tables t;
  static bool built;
  if (!built) {
    unsigned char lengths[288];
    for (int i = 0; i < 288; ++i) lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
    build(&t.lit, lengths, 288);
    for (int i = 0; i < 30; ++i) lengths[i] = 5;
    build(&t.dist, lengths, 30);
    built = true;
  }
  return codes(s, o, &t.lit, &t.dist);
}

bool dynamic(Bits* s, Output* o) {
  static const uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  int nlen = int(take(s, 5)) + 257;
  int ndist = int(take(s, 5)) + 1;
  int ncode = int(take(s, 4)) + 4;
  if (nlen > 286 || ndist > 30) return false;
  unsigned char lengths[286 + 30] = {};
  for (int i = 0; i < ncode; ++i) lengths[kOrder[i]] = static_cast<unsigned char>(take(s, 3));
  Tables t;
  if (!build(&t.lit, lengths, 19)) return false;
  for (int i = 0; i < nlen + ndist;) {
    int sym = decode(s, &t.lit);
    if (sym < 0) return false;
    if (sym < 16) {
      lengths[i++] = static_cast<unsigned char>(sym);
      continue;
    }
    unsigned char value = 0;
    int repeat;
    if (sym == 16) {
      if (i == 0) return false;
      value = lengths[i - 1];
      repeat = 3 + int(take(s, 2));
    } else if (sym == 17) {
      repeat = 3 + int(take(s, 3));
    } else {
      repeat = 11 + int(take(s, 7));
    }
    if (i + repeat > nlen + ndist) return false;
    while (repeat--) lengths[i++] = value;
  }
  if (lengths[256] == 0) return false;  // no end-of-block code
  return build(&t.lit, lengths, nlen) && build(&t.dist, lengths + nlen, ndist) &&
         codes(s, o, &t.lit, &t.dist);
}

}  // namespace

uint32_t adler32(uint32_t adler, const unsigned char* p, size_t n) {
  uint32_t a = adler & 0xFFFF, b = adler >> 16;
  while (n) {
    size_t k = n < 5552 ? n : 5552;  // the most bytes before b can overflow
    n -= k;
    for (; k >= 4; k -= 4, p += 4) {
      a += p[0];
      b += a;
      a += p[1];
      b += a;
      a += p[2];
      b += a;
      a += p[3];
      b += a;
    }
    while (k--) {
      a += *p++;
      b += a;
    }
    a %= 65521;
    b %= 65521;
  }
  return b << 16 | a;
}

bool inflate_zlib(const unsigned char* in, size_t n, unsigned char* out, size_t raw) {
  if (n < 6) return false;
  if ((in[0] & 0x0F) != 8 || (in[0] >> 4) > 7 || (in[1] & 0x20) || (in[0] << 8 | in[1]) % 31) return false;
  Bits s = {in, n, 2, 0, 0};
  Output o = {out, raw, 0};
  bool last = false;
  while (!last) {
    last = take(&s, 1) != 0;
    uint32_t type = take(&s, 2);
    bool ok = type == 0 ? stored(&s, &o) : type == 1 ? fixed(&s, &o) : type == 2 && dynamic(&s, &o);
    if (!ok || s.pos > n + 4) return false;
  }
  size_t at = byte_position(&s);
  if (at > n || n - at < 4 || o.pos != raw) return false;
  const unsigned char* p = in + at;
  uint32_t stored_adler = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
  return adler32(1, out, raw) == stored_adler;
}

}  // namespace tw
