#include "run_id.h"

#include <random>

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

}  // namespace tw
