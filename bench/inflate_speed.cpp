// The stub's inflater against zlib's on the chunks of one SFX file: every
// chunk inflated by zlib's uncompress (with its Adler-32 check) and by the
// stub's inflate_stream (1 MiB pieces in and out, Adler-32 and the record
// byte sum), best of a few rounds of each, in CPU time of the thread (the
// machine may be busy). Prints "MB zlib-MB/s stub-MB/s ratio".
//   inflate_speed.exe SFX-FILE [ROUNDS]
// Built by bench/bench.py with the stub's own flags for inflate.cpp.
#include <windows.h>
#include <zlib.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "container_format.h"
#include "inflate.h"
#include "payload_locator.h"

namespace {

struct Chunk {
  uint32_t raw, size;
  const unsigned char* stream;
};

std::vector<unsigned char> g_file;

bool read_at(void*, uint32_t offset, void* buf, uint32_t n) {
  if (offset > g_file.size() || n > g_file.size() - offset) return false;
  memcpy(buf, g_file.data() + offset, n);
  return true;
}

// Record layout: 17-byte head, name, then a file's chunks ([raw u32]
// [stream u32][stream]) and a u32 checksum; a folder's checksum only; a
// head of zeros ends the records.
std::vector<Chunk> chunks_of_file() {
  std::vector<Chunk> out;
  size_t pos = tw::locate_payload(read_at, nullptr) + tw::kHeaderSize;
  for (;;) {
    tw::EntryHead head;
    tw::decode_entry_head(&g_file[pos], &head);
    pos += tw::kEntryHeadSize;
    if (tw::is_terminator(head)) return out;
    pos += head.name_length;
    for (uint64_t left = tw::is_directory(head) ? 0 : uint64_t(head.size); left;) {
      Chunk c = {tw::get_u32le(&g_file[pos]), tw::get_u32le(&g_file[pos + 4]), &g_file[pos + 8]};
      out.push_back(c);
      pos += 8 + c.size;
      left -= c.raw;
    }
    pos += 4;
  }
}

double cpu_seconds() {
  FILETIME created, ended, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
  ULARGE_INTEGER k, u;
  k.LowPart = kernel.dwLowDateTime;
  k.HighPart = kernel.dwHighDateTime;
  u.LowPart = user.dwLowDateTime;
  u.HighPart = user.dwHighDateTime;
  return double(k.QuadPart + u.QuadPart) / 1e7;
}

struct Source {
  const unsigned char* p;
};

bool stream_read(void* ctx, unsigned char* buf, uint32_t n) {
  Source* s = static_cast<Source*>(ctx);
  memcpy(buf, s->p, n);
  s->p += n;
  return true;
}

bool stream_put(void*, const unsigned char*, uint32_t) { return true; }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  FILE* f = fopen(argv[1], "rb");
  if (!f) return 3;
  fseek(f, 0, SEEK_END);
  g_file.resize(size_t(ftell(f)));
  fseek(f, 0, SEEK_SET);
  if (fread(g_file.data(), 1, g_file.size(), f) != g_file.size()) return 3;
  fclose(f);
  std::vector<Chunk> chunks = chunks_of_file();
  double total = 0;
  for (const Chunk& c : chunks) total += c.raw;
  int rounds = argc > 2 ? atoi(argv[2]) : 3;

  const uint32_t kPiece = 1 << 20;
  std::vector<unsigned char> out(tw::kChunkRawMax);
  std::vector<unsigned char> in(kPiece + tw::kInflatePad);
  std::vector<unsigned char> window(tw::kInflateHistory + kPiece + tw::kInflateSlack);
  static tw::Inflater z;
  double best_zlib = 1e30, best_stub = 1e30;
  for (int r = 0; r < rounds; ++r) {
    double t = cpu_seconds();
    for (const Chunk& c : chunks) {
      uLongf n = c.raw;
      if (uncompress(out.data(), &n, c.stream, c.size) != Z_OK || n != c.raw) return 4;
    }
    double zlib_s = cpu_seconds() - t;
    t = cpu_seconds();
    for (const Chunk& c : chunks) {
      Source s = {c.stream};
      uint32_t sum = 0;
      tw::InflateIo io = {&s, stream_read, stream_put, in.data(), kPiece, window.data(), kPiece};
      if (tw::inflate_stream(&z, io, c.size, c.raw, &sum) != tw::kStreamDone) return 5;
    }
    double stub_s = cpu_seconds() - t;
    if (zlib_s < best_zlib) best_zlib = zlib_s;
    if (stub_s < best_stub) best_stub = stub_s;
  }
  double mb = total / (1 << 20);
  printf("%.1f %.1f %.1f %.3f\n", mb, mb / best_zlib, mb / best_stub, best_zlib / best_stub);
  return 0;
}
