#include "size_text.h"

namespace tw {

namespace {

// Appends the decimal digits of v.
size_t put_uint(uint64_t v, char* out) {
  char tmp[24];
  size_t n = 0;
  do {
    tmp[n++] = char('0' + v % 10);
    v /= 10;
  } while (v);
  for (size_t i = 0; i < n; ++i) out[i] = tmp[n - 1 - i];
  return n;
}

}  // namespace

size_t size_text(int64_t bytes, char* out, size_t cap) {
  static const struct {
    int shift;
    int decimals;
    const char* unit;
  } kSteps[] = {{40, 4, " TB"}, {30, 3, " GB"}, {20, 2, " MB"}, {10, 1, " kB"}, {0, 0, " B"}};

  bool negative = bytes < 0;
  uint64_t mag = negative ? uint64_t(0) - uint64_t(bytes) : uint64_t(bytes);
  int step = 0;
  while (kSteps[step].shift && mag < (uint64_t(1) << kSteps[step].shift)) ++step;

  int shift = kSteps[step].shift;
  int decimals = kSteps[step].decimals;
  uint64_t scale = 1;
  for (int i = 0; i < decimals; ++i) scale *= 10;

  // mag / 2^shift = whole + rest / 2^shift; rest < 2^40 and scale <= 10^4,
  // so rest * scale fits in 64 bits and the rounding is exact.
  uint64_t mask = shift ? (uint64_t(1) << shift) - 1 : 0;
  uint64_t whole = mag >> shift;
  uint64_t scaled = (mag & mask) * scale;
  uint64_t frac = shift ? scaled >> shift : 0;
  uint64_t left = scaled & mask;
  if (shift && left >= (uint64_t(1) << (shift - 1))) {
    if (++frac == scale) {
      frac = 0;
      ++whole;
    }
  }

  char buf[48];
  size_t n = 0;
  if (negative && (whole || frac)) buf[n++] = '-';
  n += put_uint(whole, buf + n);
  if (decimals) {
    buf[n++] = '.';
    char digits[8];
    uint64_t f = frac;
    for (int i = decimals - 1; i >= 0; --i) {
      digits[i] = char('0' + f % 10);
      f /= 10;
    }
    for (int i = 0; i < decimals; ++i) buf[n++] = digits[i];
  }
  for (const char* u = kSteps[step].unit; *u; ++u) buf[n++] = *u;

  if (cap == 0) return n;
  size_t copy = n < cap - 1 ? n : cap - 1;
  for (size_t i = 0; i < copy; ++i) out[i] = buf[i];
  out[copy] = 0;
  return copy;
}

}  // namespace tw
