#include "run_id.h"

#include <random>

#include "container_format.h"

namespace tw {

namespace {

std::mt19937& generator() {
  static std::mt19937 g;
  return g;
}

}  // namespace

void seed_run_ids(uint64_t seed) {
  std::seed_seq seq{uint32_t(seed), uint32_t(seed >> 32)};
  generator().seed(seq);
}

uint32_t next_run_id() {
  std::uniform_int_distribution<uint32_t> d(0, 2147483646u);
  return d(generator());
}

bool is_run_id_text(const std::string& text) {
  if (text.size() != kRunIdDigits) return false;
  for (char c : text)
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return false;
  return true;
}

std::string run_id_from_source_date_epoch(const char* value) {
  if (!value || !*value) return std::string();
  uint64_t seconds = 0;
  for (const char* p = value; *p; ++p) {
    if (*p < '0' || *p > '9' || seconds > UINT64_MAX / 10 - 1) return std::string();
    seconds = seconds * 10 + uint64_t(*p - '0');
  }
  char text[kRunIdDigits + 1];
  format_run_id(uint32_t(seconds % 2147483647u), text);
  return text;
}

}  // namespace tw
