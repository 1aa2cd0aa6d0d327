#include "inflate.h"

#if defined(__i386__) || defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace tw {

namespace {

// Inlined into the decoding loop even where the stub is built for size.
#define TW_HOT inline __attribute__((always_inline))

// A table entry (literal/length, distance and code-length codes alike):
//   bits 0-7    bits it takes: the code's and the extra bits behind it
//   bits 8-11   bits of the code alone
//   bit 13      end of block
//   bit 14      exceptional: the end of the block, a code longer than the
//               table (bits 0-7 zero: decoded bit by bit), or a symbol
//               deflate never uses
//   bit 15      literal: the value is the byte (or the code length 0-18)
//   bits 16-31  value: the literal, or the base of a length or distance
// An entry of neither kind is a length or a distance.
const uint32_t kEndOfBlock = 0x2000;
const uint32_t kExceptional = 0x4000;
const uint32_t kLiteral = 0x8000;

enum Alphabet : uint8_t { kLitLen, kDistance, kCodeLength };
enum State : uint8_t { kStart, kBlock, kStored, kCodes, kTrailer, kFinished };

// Input the decoder wants ahead before a block header or a symbol: more
// than the longest header (a dynamic one: 14 bits, 19 three-bit lengths,
// 316 codes of up to 7 + 7 bits, 562 bytes) and any symbol. Behind the
// stream's end the pad stands in for it; a stream that needs more than the
// pad holds is bad.
const ptrdiff_t kMargin = 640;
static_assert(kInflatePad >= kMargin + 16, "a stream's last bits may be read with the pad behind them");
const int kMaxMatch = 258;

const uint16_t kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                  31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
const uint8_t kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                  2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
const uint16_t kDistBase[30] = {1,    2,    3,    4,    5,    7,    9,    13,    17,    25,
                                33,   49,   65,   97,   129,  193,  257,  385,   513,   769,
                                1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
const uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2,  3,  3,  4,  4,  5,  5,  6,
                                6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

const int kLitBits = 11;   // look-up bits of the literal/length table
const int kDistBits = 10;  // of the distance table

// A canonical Huffman code as counts of codes per length and its symbols
// in code order: codes longer than the look-up table are decoded from it.
struct HuffmanCode {
  uint16_t count[16];
  uint16_t symbol[288];
  uint8_t alphabet;
};

// The tables of the block being decoded. At fixed addresses: the decoding
// loop then needs no register for them (i686 has few).
struct Tables {
  uint32_t lit[1 << kLitBits];
  uint32_t dist[1 << kDistBits];
  HuffmanCode lit_code, dist_code;
  bool fixed;  // they hold the fixed code
};
Tables g_tables;

// The entry of a symbol whose code has `len` bits.
uint32_t symbol_entry(uint8_t alphabet, uint32_t sym, uint32_t len) {
  uint32_t code = len << 8 | len;
  uint32_t base = 0, extra = 0;
  if (alphabet == kCodeLength || (alphabet == kLitLen && sym < 256)) return sym << 16 | kLiteral | code;
  if (alphabet == kLitLen && sym == 256) return kExceptional | kEndOfBlock | code;
  if (alphabet == kLitLen && sym - 257 < 29) {
    base = kLengthBase[sym - 257];
    extra = kLengthExtra[sym - 257];
  } else if (alphabet == kDistance && sym < 30) {
    base = kDistBase[sym];
    extra = kDistExtra[sym];
  } else {
    return kExceptional | code;  // a symbol deflate never uses
  }
  return base << 16 | (code + extra);
}

// Builds the code of n symbols from their code lengths and its look-up
// table of 2^bits entries. False for lengths that hold more codes than
// there are (an incomplete code is taken: a code it lacks is bad data).
bool build_code(HuffmanCode* h, uint32_t* table, int bits, const unsigned char* lengths, int n,
                uint8_t alphabet) {
  h->alphabet = alphabet;
  for (int i = 0; i < 16; ++i) h->count[i] = 0;
  for (int i = 0; i < n; ++i) ++h->count[lengths[i]];
  h->count[0] = 0;
  uint16_t offset[17];
  offset[1] = 0;
  int left = 1;
  for (int len = 1; len <= 15; ++len) {
    left = (left << 1) - h->count[len];
    if (left < 0) return false;
    offset[len + 1] = uint16_t(offset[len] + h->count[len]);
  }
  for (int i = 0; i < n; ++i) {
    if (lengths[i]) h->symbol[offset[lengths[i]]++] = uint16_t(i);
  }
  // Codes of each length in turn: the table so far is copied once to
  // twice its size (a shorter code's entry repeats for every bit behind
  // it), then the codes of the length go to their bit-reversed places.
  table[0] = kExceptional;  // longer codes, or none
  uint32_t code = 0;
  int index = 0;
  for (int len = 1; len <= bits; ++len) {
    __builtin_memcpy(table + (1u << (len - 1)), table, (1u << (len - 1)) * sizeof *table);
    for (int k = 0; k < h->count[len]; ++k, ++code) {
      uint32_t reversed = 0;
      for (int b = 0; b < len; ++b) reversed |= ((code >> b) & 1) << (len - 1 - b);
      table[reversed] = symbol_entry(alphabet, h->symbol[index + k], uint32_t(len));
    }
    index += h->count[len];
    code <<= 1;
  }
  return true;
}

// A code longer than the table, read bit by bit from the canonical counts:
// its entry, or that of an unused symbol when the code holds no such code.
__attribute__((noinline)) uint32_t decode_slow(uint32_t bits, const HuffmanCode* h) {
  int code = 0, first = 0, index = 0;
  for (int len = 1; len <= 15; ++len, bits >>= 1) {
    code |= int(bits & 1);
    int count = h->count[len];
    if (code - first < count) return symbol_entry(h->alphabet, h->symbol[index + code - first], uint32_t(len));
    index += count;
    first = (first + count) << 1;
    code <<= 1;
  }
  return kExceptional | 1;
}

TW_HOT uint32_t load32(const unsigned char* p) {
  uint32_t v;
  __builtin_memcpy(&v, p, 4);
  return v;  // little-endian hosts only (x86)
}

// The bit reader: a position in bits from `in`. Each look reads the word
// that holds the position, so the next 25 bits or more are always at hand
// and nothing needs a register but the position.
struct Bits {
  const unsigned char* in;
  uint32_t pos;

  TW_HOT uint32_t peek() const { return load32(in + (pos >> 3)) >> (pos & 7); }
  TW_HOT uint32_t take(uint32_t k) {  // k <= 25
    uint32_t v = peek() & ((1u << k) - 1);
    pos += k;
    return v;
  }
  const unsigned char* byte() const { return in + (pos >> 3); }  // after align()
  void align() { pos = (pos + 7) & ~7u; }
};

// The fixed code (small streams use it; built once while blocks keep it).
void load_fixed() {
  Tables* t = &g_tables;
  if (t->fixed) return;
  unsigned char lengths[288];
  for (int i = 0; i < 288; ++i) lengths[i] = i < 144 ? 8 : i < 256 ? 9 : i < 280 ? 7 : 8;
  build_code(&t->lit_code, t->lit, kLitBits, lengths, 288, kLitLen);
  for (int i = 0; i < 32; ++i) lengths[i] = 5;
  build_code(&t->dist_code, t->dist, kDistBits, lengths, 32, kDistance);
  t->fixed = true;
}

// Reads a dynamic block's code lengths and builds both tables. The input
// holds the whole header (or the zero pad behind the stream's end does).
bool load_dynamic(Bits* s) {
  static const uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  Tables* t = &g_tables;
  t->fixed = false;
  int nlen = int(s->take(5)) + 257;
  int ndist = int(s->take(5)) + 1;
  int ncode = int(s->take(4)) + 4;
  if (nlen > 286 || ndist > 30) return false;
  unsigned char lengths[286 + 30] = {};
  for (int i = 0; i < ncode; ++i) lengths[kOrder[i]] = static_cast<unsigned char>(s->take(3));
  // The code-length code uses the distance table for the while.
  const int kCodeLengthBits = 7;
  if (!build_code(&t->dist_code, t->dist, kCodeLengthBits, lengths, 19, kCodeLength)) return false;
  for (int i = 0; i < nlen + ndist;) {
    uint32_t e = t->dist[s->peek() & ((1u << kCodeLengthBits) - 1)];
    if (!(e & kLiteral)) return false;
    s->pos += e & 0xFF;
    uint32_t sym = e >> 16;
    if (sym < 16) {
      lengths[i++] = static_cast<unsigned char>(sym);
      continue;
    }
    unsigned char value = 0;
    int repeat;
    if (sym == 16) {
      if (i == 0) return false;
      value = lengths[i - 1];
      repeat = 3 + int(s->take(2));
    } else if (sym == 17) {
      repeat = 3 + int(s->take(3));
    } else {
      repeat = 11 + int(s->take(7));
    }
    if (i + repeat > nlen + ndist) return false;
    while (repeat--) lengths[i++] = value;
  }
  if (lengths[256] == 0) return false;  // no end-of-block code
  return build_code(&t->lit_code, t->lit, kLitBits, lengths, nlen, kLitLen) &&
         build_code(&t->dist_code, t->dist, kDistBits, lengths + nlen, ndist, kDistance);
}

TW_HOT void copy_match(unsigned char* out, uint32_t length, uint32_t distance) {
  const unsigned char* from = out - distance;
  unsigned char* end = out + length;
  if (distance >= 4) {
    // Eight bytes a turn; within four bytes of each other the second word
    // reads what the first one wrote.
    do {
      __builtin_memcpy(out, from, 4);
      __builtin_memcpy(out + 4, from + 4, 4);
      out += 8;
      from += 8;
    } while (out < end);
  } else if (distance == 1) {
    uint32_t v = from[0] * 0x01010101u;
    do {
      __builtin_memcpy(out, &v, 4);
      __builtin_memcpy(out + 4, &v, 4);
      out += 8;
    } while (out < end);
  } else {
    do *out++ = *from++;
    while (out < end);
  }
}

// Literals and matches until the end of the block, the end of the room or
// the end of the input read so far (`in_stop`: the last byte a symbol may
// start at). The way fast inflaters keep the critical path short: a bit
// buffer refilled without a branch to a count of 24 to 31 bits (all 32 are
// input bits; those above the count are loaded again by the next refill),
// the next table entry looked up before the refill, and the bits of a
// length or distance taken at once with its code. After a refill and k
// bits taken, 32 - k bits are at hand for a look-up. Locals only: every
// byte written may alias anything in memory.
InflateStatus decode_codes(Inflater* z, Bits* reader, const unsigned char* in_stop) {
  const uint32_t lit_mask = (1u << kLitBits) - 1;
  const uint32_t dist_mask = (1u << kDistBits) - 1;
  const unsigned char* in = reader->in + (reader->pos >> 3);
  unsigned char* out = z->out;
  unsigned char* const window = z->window;
  unsigned char* const out_limit = z->window_end - kMaxMatch;
  uint32_t buf = 0, n = 0;  // n: only its low byte counts (whole entries are taken from it)
#define TW_REFILL()                  \
  do {                               \
    buf |= load32(in) << uint8_t(n); \
    in += 3 - ((n >> 3) & 3);        \
    n |= 24;                         \
  } while (0)
#define TW_TAKE(e)    \
  do {                \
    saved = buf;      \
    buf >>= uint8_t(e); \
    n -= (e);         \
  } while (0)
// The extra bits of a length or distance: behind the code in `saved`.
#define TW_EXTRA(e) ((saved & ((1u << uint8_t(e)) - 1)) >> (((e) >> 8) & 15))
  TW_REFILL();
  uint32_t saved = buf;
  buf >>= reader->pos & 7;
  n -= reader->pos & 7;
  TW_REFILL();
  uint32_t e = g_tables.lit[buf & lit_mask];
  InflateStatus status;
  for (;;) {
    if (in > in_stop) {
      status = z->last ? kInflateBad : kInflateNeedInput;
      break;
    }
    if (out > out_limit) {
      status = kInflateNeedRoom;
      break;
    }
    TW_TAKE(e);
    if (e & kLiteral) {
      uint32_t literal = e >> 16;
      e = g_tables.lit[buf & lit_mask];  // 13 bits or more are left
      TW_REFILL();
      *out++ = static_cast<unsigned char>(literal);
      continue;
    }
    if (e & kExceptional) {
      if (!uint8_t(e)) {  // a longer code: nothing was taken
        e = decode_slow(buf, &g_tables.lit_code);
        if (!(e & kExceptional)) continue;  // taken at the top
        TW_TAKE(e);
      }
      status = (e & kEndOfBlock) ? kInflateDone : kInflateBad;
      break;
    }
    uint32_t length = (e >> 16) + TW_EXTRA(e);
    TW_REFILL();
    e = g_tables.dist[buf & dist_mask];
    if (e & kExceptional) {
      // A longer code (its bits and extra bits may be more than the
      // buffer holds: taken in two steps), or none.
      if (uint8_t(e)) {
        status = kInflateBad;
        break;
      }
      e = decode_slow(buf, &g_tables.dist_code);
      uint32_t code = (e >> 8) & 15;
      buf >>= code;
      n -= code;
      TW_REFILL();
      e = (e & ~0xFFFu) | ((uint8_t(e) - code) & 0xFF);  // the extra bits, behind no code
      if (e & kExceptional) {
        status = kInflateBad;
        break;
      }
    }
    TW_TAKE(e);
    uint32_t distance = (e >> 16) + TW_EXTRA(e);
    if (distance > uint32_t(out - window)) {
      status = kInflateBad;
      break;
    }
    TW_REFILL();
    e = g_tables.lit[buf & lit_mask];
    copy_match(out, length, distance);
    out += length;
  }
#undef TW_REFILL
#undef TW_TAKE
#undef TW_EXTRA
  reader->pos = uint32_t(in - reader->in) * 8 - uint8_t(n);
  z->out = out;
  return status;
}

// A stored block's bytes, as far as the input and the room go.
InflateStatus copy_stored(Inflater* z, Bits* s) {
  const unsigned char* from = s->byte();
  ptrdiff_t have = z->in_end - from;
  if (have < 0) have = 0;
  uint32_t n = z->stored_left;
  if (uint32_t(have) < n) n = uint32_t(have);
  if (uint32_t(z->window_end - z->out) < n) n = uint32_t(z->window_end - z->out);
  __builtin_memcpy(z->out, from, n);
  z->out += n;
  s->pos += 8 * n;
  z->stored_left -= n;
  if (z->stored_left == 0) return kInflateDone;
  if (z->out == z->window_end) return kInflateNeedRoom;
  return z->last ? kInflateBad : kInflateNeedInput;
}

// A block header; false for bad data.
bool start_block(Inflater* z, Bits* s) {
  z->final_block = s->take(1) != 0;
  switch (s->take(2)) {
    case 0: {
      s->align();
      const unsigned char* p = s->byte();
      uint32_t length = uint32_t(p[0]) | uint32_t(p[1]) << 8;
      if ((uint32_t(p[2]) | uint32_t(p[3]) << 8) != (~length & 0xFFFF)) return false;
      s->pos += 32;
      z->stored_left = length;
      z->state = kStored;
      return true;
    }
    case 1:
      load_fixed();
      z->state = kCodes;
      return true;
    case 2:
      z->state = kCodes;
      return load_dynamic(s);
    default:
      return false;
  }
}

}  // namespace

void inflate_begin(Inflater* z) {
  z->state = kStart;
  z->bit = 0;
  z->final_block = false;
  z->stored_left = 0;
  z->adler = 0;
}

InflateStatus inflate_some(Inflater* z) {
  Bits s = {z->in, z->bit};
  // Before a header or a symbol the input must hold kMargin more bytes, or
  // the zero pad behind the stream's end must (reading far into the pad is
  // bad data). In bits from `in`: the last position that may start one.
  const ptrdiff_t ahead = z->in_end - z->in - (z->last ? kMargin - ptrdiff_t(kInflatePad) : kMargin);
  const uint32_t stop = ahead < 0 ? 0 : uint32_t(ahead) * 8;
  const unsigned char* in_stop = z->in + (ahead < 0 ? 0 : ahead);
  const InflateStatus short_input = z->last ? kInflateBad : kInflateNeedInput;
  InflateStatus status;
  for (;;) {
    uint8_t state = z->state;
    if ((state == kStart || state == kBlock) && (ahead < 0 || s.pos > stop)) {
      status = short_input;
      break;
    }
    if (state == kStart) {
      uint32_t cmf = s.take(8), flg = s.take(8);
      if ((cmf & 0x0F) != 8 || (cmf >> 4) > 7 || (flg & 0x20) || (cmf << 8 | flg) % 31) {
        status = kInflateBad;
        break;
      }
      z->state = kBlock;
    } else if (state == kBlock) {
      if (!start_block(z, &s)) {
        status = kInflateBad;
        break;
      }
    } else if (state == kStored || state == kCodes) {
      if (state == kCodes && ahead < 0) {
        status = short_input;
        break;
      }
      status = state == kStored ? copy_stored(z, &s) : decode_codes(z, &s, in_stop);
      if (status != kInflateDone) break;
      z->state = z->final_block ? kTrailer : kBlock;
    } else if (state == kTrailer) {
      s.align();
      const unsigned char* p = s.byte();
      if (z->in_end - p < 4) {
        status = short_input;
        break;
      }
      z->adler = uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
      s.pos += 32;
      z->state = kFinished;
    } else {
      status = kInflateDone;
      break;
    }
  }
  z->in = s.in + (s.pos >> 3);
  z->bit = s.pos & 7;
  return status;
}

namespace {

// Reads up to in_cap bytes of what is left of the stream behind the `kept`
// bytes already at the buffer's start; the zero pad goes behind the last.
bool read_input(Inflater* z, const InflateIo& io, uint32_t kept, uint32_t* left) {
  uint32_t n = io.in_cap - kept;
  if (*left < n) n = *left;
  if (!io.read(io.ctx, io.in + kept, n)) return false;
  *left -= n;
  z->in = io.in;
  z->in_end = io.in + kept + n;
  z->last = *left == 0;
  if (z->last) __builtin_memset(io.in + kept + n, 0, kInflatePad);
  return true;
}

}  // namespace

StreamEnd inflate_stream(Inflater* z, const InflateIo& io, uint32_t stream, uint32_t raw, uint32_t* sum) {
  inflate_begin(z);
  uint32_t left = stream;
  if (!read_input(z, io, 0, &left)) return kStreamUnread;
  z->window = z->out = io.window;
  z->window_end = io.window + kInflateHistory + io.out_piece;
  unsigned char* handed = io.window;  // the output before it went on
  uint32_t adler = 1, total = 0;
  for (;;) {
    InflateStatus status = inflate_some(z);
    if (status == kInflateBad) return kStreamBad;
    if (status == kInflateNeedInput) {
      uint32_t kept = uint32_t(z->in_end - z->in);
      __builtin_memmove(io.in, z->in, kept);
      if (!read_input(z, io, kept, &left)) return kStreamUnread;
      continue;
    }
    uint32_t n = uint32_t(z->out - handed);
    if (n > raw - total) return kStreamBad;  // more than the chunk holds
    adler = adler32_sum(adler, handed, n, sum);
    if (n && !io.put(io.ctx, handed, n)) return kStreamRefused;
    total += n;
    if (status == kInflateDone) return total == raw && adler == z->adler ? kStreamDone : kStreamBad;
    // The window is full: its last 32 KiB stay for the matches to come.
    __builtin_memmove(io.window, z->out - kInflateHistory, kInflateHistory);
    z->out = handed = io.window + kInflateHistory;
  }
}

namespace {

const uint32_t kAdlerBase = 65521;

uint32_t adler32_sum_plain(uint32_t adler, const unsigned char* p, size_t n, uint32_t* sum) {
  uint32_t a = adler & 0xFFFF, b = adler >> 16;
  uint32_t total = *sum;
  while (n) {
    // 5552 bytes at most before b can overflow; a cannot wrap either, so
    // what it grew by is the bytes' sum.
    size_t k = n < 5552 ? n : 5552;
    n -= k;
    uint32_t a0 = a;
    for (; k >= 8; k -= 8, p += 8) {
      a += p[0];
      b += a;
      a += p[1];
      b += a;
      a += p[2];
      b += a;
      a += p[3];
      b += a;
      a += p[4];
      b += a;
      a += p[5];
      b += a;
      a += p[6];
      b += a;
      a += p[7];
      b += a;
    }
    while (k--) {
      a += *p++;
      b += a;
    }
    total += a - a0;
    a %= kAdlerBase;
    b %= kAdlerBase;
  }
  *sum = total;
  return b << 16 | a;
}

#if defined(__i386__) || defined(__x86_64__)
// 32 bytes a turn: the bytes' sum (a) from psadbw; b grows by a for every
// byte, which is 32 times the sum of the earlier turns' sums plus each
// byte weighted by 32 down to 1 (kept as per-position sums of 16 bits
// until the block ends).
__attribute__((target("sse2"))) uint32_t adler32_sum_sse2(uint32_t adler, const unsigned char* p, size_t n,
                                                           uint32_t* sum) {
  uint32_t a = adler & 0xFFFF, b = adler >> 16;
  uint32_t total = *sum;
  const __m128i zero = _mm_setzero_si128();
  const __m128i w0 = _mm_setr_epi16(32, 31, 30, 29, 28, 27, 26, 25);
  const __m128i w1 = _mm_setr_epi16(24, 23, 22, 21, 20, 19, 18, 17);
  const __m128i w2 = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
  const __m128i w3 = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
  while (n >= 32) {
    // At most 4096 bytes (128 turns): the position sums stay below 2^15
    // (pmaddwd takes them as signed), b's share below 2^32.
    size_t k = (n < 4096 ? n : 4096) & ~size_t(31);
    n -= k;
    b += a * uint32_t(k);
    __m128i s1 = zero, s2 = zero, c0 = zero, c1 = zero, c2 = zero, c3 = zero;
    for (size_t i = 0; i < k; i += 32, p += 32) {
      __m128i d0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
      __m128i d1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16));
      s2 = _mm_add_epi32(s2, s1);
      s1 = _mm_add_epi32(s1, _mm_add_epi32(_mm_sad_epu8(d0, zero), _mm_sad_epu8(d1, zero)));
      c0 = _mm_add_epi16(c0, _mm_unpacklo_epi8(d0, zero));
      c1 = _mm_add_epi16(c1, _mm_unpackhi_epi8(d0, zero));
      c2 = _mm_add_epi16(c2, _mm_unpacklo_epi8(d1, zero));
      c3 = _mm_add_epi16(c3, _mm_unpackhi_epi8(d1, zero));
    }
    __m128i w = _mm_add_epi32(_mm_add_epi32(_mm_madd_epi16(c0, w0), _mm_madd_epi16(c1, w1)),
                              _mm_add_epi32(_mm_madd_epi16(c2, w2), _mm_madd_epi16(c3, w3)));
    uint32_t lanes[4], s1l[4], s2l[4];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(lanes), w);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(s1l), s1);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(s2l), s2);
    uint32_t block_a = s1l[0] + s1l[2];
    uint32_t turns = s2l[0] + s2l[2];
    uint32_t weighted = lanes[0] + lanes[1] + lanes[2] + lanes[3];
    b = (b % kAdlerBase + 32 * (turns % kAdlerBase) + weighted % kAdlerBase) % kAdlerBase;
    a = (a + block_a) % kAdlerBase;
    total += block_a;
  }
  *sum = total;
  return adler32_sum_plain(b << 16 | a, p, n, sum);
}

bool has_sse2() {
#if defined(__SSE2__)
  return true;
#else
  static int known;  // 0 not yet asked, 1 no, 2 yes
  if (!known) {
    uint32_t eax = 1, ebx, ecx = 0, edx;
    __asm__("cpuid" : "+a"(eax), "=b"(ebx), "+c"(ecx), "=d"(edx));
    known = (edx >> 26) & 1 ? 2 : 1;
  }
  return known == 2;
#endif
}
#endif

}  // namespace

uint32_t adler32_sum(uint32_t adler, const unsigned char* p, size_t n, uint32_t* sum) {
#if defined(__i386__) || defined(__x86_64__)
  if (has_sse2()) return adler32_sum_sse2(adler, p, n, sum);
#endif
  return adler32_sum_plain(adler, p, n, sum);
}

}  // namespace tw
