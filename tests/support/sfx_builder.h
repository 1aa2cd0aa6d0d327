#pragma once
// Entry records for the native tests and the fuzz seeds, written from the
// byte layout (17-byte head, name, zlib chunks, byte-sum checksum; a
// 17-byte terminator) with the system's zlib.
#include <zlib.h>

#include <cstdint>
#include <string>
#include <vector>

namespace sfxb {

using Bytes = std::vector<unsigned char>;

inline void put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

inline uint32_t sum(const std::string& s, uint32_t running = 0) {
  for (unsigned char c : s) running += c;
  return running;
}

inline void head(Bytes& b, uint8_t kind, const std::string& name, uint32_t size, uint32_t attributes) {
  b.push_back(kind);
  put32(b, uint32_t(name.size()));
  put32(b, size);
  put32(b, 0x52CF6CEFu);
  put32(b, attributes);
  b.insert(b.end(), name.begin(), name.end());
}

inline void folder(Bytes& b, const std::string& name, uint32_t attributes = 0x10) {
  head(b, 0, name, 0, attributes | 0x10);
  put32(b, sum(name));
}

// A compressed file in chunks of at most `chunk` bytes; the chunk of index
// `bend` gets a bit of its data flipped before it is compressed (a sound
// stream whose data no longer matches the checksum); -1: the last one.
const int kNoBend = -2;
inline void file(Bytes& b, const std::string& name, const std::string& data, uint8_t kind = 0,
                 uint32_t attributes = 0x20, int bend = kNoBend, size_t chunk = 9437184) {
  head(b, kind, name, uint32_t(data.size()), attributes);
  for (size_t pos = 0; pos < data.size(); pos += chunk) {
    std::string raw = data.substr(pos, chunk);
    int index = int(pos / chunk);
    if (bend == index || (bend == -1 && pos + chunk >= data.size())) raw[0] ^= 1;
    uLongf n = compressBound(uLong(raw.size()));
    Bytes stream(n);
    compress2(stream.data(), &n, reinterpret_cast<const Bytef*>(raw.data()), uLong(raw.size()), 9);
    put32(b, uint32_t(raw.size()));
    put32(b, uint32_t(n));
    b.insert(b.end(), stream.begin(), stream.begin() + long(n));
  }
  put32(b, sum(data, sum(name)));
}

inline void terminator(Bytes& b) { b.insert(b.end(), 17, 0); }

}  // namespace sfxb
