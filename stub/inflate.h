#pragma once
// The stub's decompressor: one zlib stream at a time (RFC 1950 header,
// deflate data of RFC 1951, Adler-32 of the output), read and written piece
// by piece so that neither a whole compressed chunk nor a whole inflated one
// has to be in memory. Built for speed the way fast inflaters are: bits
// read a word at a time, tables that give a literal, or a length or
// distance and its number of extra bits, in one look-up, two literals from
// one read, and matches copied a word at a time. Portable, no allocation.
//
//   zlib stream: CMF u8 (method 8, window <= 32 KiB), FLG u8 (no preset
//                dictionary; CMF*256+FLG divisible by 31), deflate blocks,
//                Adler-32 u32 big-endian
//   block:       BFINAL 1 bit, BTYPE 2 bits (0 stored, 1 fixed Huffman,
//                2 dynamic Huffman), bits read from the least significant
//                end of each byte
//
// Input: the caller points `in`..`in_end` at the stream's bytes read so far
// (in_end - in below 256 MiB). When they reach the stream's end it sets
// `last` and puts kInflatePad zero bytes behind in_end: the decoder reads
// ahead into them instead of checking every byte.
// Output: a window of kInflateHistory + piece bytes and kInflateSlack more
// (matches are copied a word at a time and may write a few bytes beyond
// their end). When the window is full the caller takes the new bytes and
// moves the last kInflateHistory of them to the window's start.
#include <stddef.h>
#include <stdint.h>

namespace tw {

const uint32_t kInflateHistory = 32768;  // the farthest a match reaches back
const uint32_t kInflatePad = 1024;
const uint32_t kInflateSlack = 16;

enum InflateStatus { kInflateDone, kInflateNeedInput, kInflateNeedRoom, kInflateBad };

// The state of one stream. The code tables are the decoder's own: one
// stream is inflated at a time in a process.
struct Inflater {
  const unsigned char* in;  // the byte that holds the next bit
  const unsigned char* in_end;
  bool last;
  unsigned char* window;      // start of the history
  unsigned char* out;         // next byte
  unsigned char* window_end;  // the room ends here (kInflateSlack more follow)
  uint32_t adler;             // the stream's stored Adler-32, once done

  // Decoder state.
  uint32_t bit;  // of *in, 0-7
  uint8_t state;
  bool final_block;
  uint32_t stored_left;
};

// Starts a stream: the window is empty (out == window).
void inflate_begin(Inflater* z);

// Inflates until the stream ends, the input runs out (not yet `last`), the
// window is full, or the data is bad.
InflateStatus inflate_some(Inflater* z);

// A stream's way in and out, and the two buffers it goes through.
struct InflateIo {
  void* ctx;
  // Reads the next n bytes of the stream; false when they are not there.
  bool (*read)(void* ctx, unsigned char* buf, uint32_t n);
  // Takes the next n inflated bytes; false stops the stream.
  bool (*put)(void* ctx, const unsigned char* p, uint32_t n);
  unsigned char* in;      // in_cap + kInflatePad bytes
  uint32_t in_cap;        // kInflateMinInput or more
  unsigned char* window;  // kInflateHistory + out_piece + kInflateSlack bytes
  uint32_t out_piece;     // more than 258
};

const uint32_t kInflateMinInput = 1024;

enum StreamEnd { kStreamDone, kStreamBad, kStreamUnread, kStreamRefused };

// Inflates the stream of `stream` bytes, which must give exactly `raw`
// bytes with the Adler-32 it stores, handing them on as they come and
// adding their byte sum to *sum. kStreamBad for bad data, kStreamUnread
// when read failed, kStreamRefused when put did.
StreamEnd inflate_stream(Inflater* z, const InflateIo& io, uint32_t stream, uint32_t raw, uint32_t* sum);

// Adler-32 of n bytes, continuing from `adler` (1 to start); adds their
// byte sum to *sum on the way (the record checksum of the SFX file).
uint32_t adler32_sum(uint32_t adler, const unsigned char* p, size_t n, uint32_t* sum);

}  // namespace tw
