#pragma once
// Little-endian access to byte buffers. Every read is bounds-checked and
// reports failure instead of reading past the end.
#include <stddef.h>
#include <stdint.h>

#include <vector>

namespace tw::peres {

using Bytes = std::vector<uint8_t>;

// Bytes the reader looks at without owning them: a buffer or a file mapped
// into memory.
class ByteView {
 public:
  ByteView() = default;
  ByteView(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  ByteView(const Bytes& b) : data_(b.data()), size_(b.size()) {}  // implicit: any buffer is a view
  const uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  const uint8_t* begin() const { return data_; }
  const uint8_t* end() const { return data_ + size_; }
  const uint8_t& operator[](size_t i) const { return data_[i]; }

 private:
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
};

// True when [offset, offset + size) lies inside a buffer of `total` bytes.
inline bool in_bounds(uint64_t offset, uint64_t size, uint64_t total) {
  return offset <= total && size <= total - offset;
}

inline bool read_u16(ByteView b, uint64_t off, uint16_t* v) {
  if (!in_bounds(off, 2, b.size())) return false;
  *v = uint16_t(b[off] | b[off + 1] << 8);
  return true;
}

inline bool read_u32(ByteView b, uint64_t off, uint32_t* v) {
  if (!in_bounds(off, 4, b.size())) return false;
  *v = uint32_t(b[off]) | uint32_t(b[off + 1]) << 8 | uint32_t(b[off + 2]) << 16 |
       uint32_t(b[off + 3]) << 24;
  return true;
}

// Writers expect the caller to have sized the buffer.
inline void put_u16(Bytes& b, size_t off, uint16_t v) {
  b[off] = uint8_t(v);
  b[off + 1] = uint8_t(v >> 8);
}

inline void put_u32(Bytes& b, size_t off, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[off + i] = uint8_t(v >> (8 * i));
}

inline void append_u16(Bytes& b, uint16_t v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}

inline void append_u32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

// a is a power of two (or 0 for no alignment).
inline uint64_t align_up(uint64_t v, uint64_t a) { return a ? (v + a - 1) & ~(a - 1) : v; }

}  // namespace tw::peres
