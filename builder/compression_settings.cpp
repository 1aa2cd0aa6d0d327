#include "compression_settings.h"

#include <stdlib.h>
#include <string.h>

#include "threads.h"

namespace tw {

CompressionSettings parse_compression_settings(const char* engine, const char* threads) {
  CompressionSettings s;
  if (engine && strcmp(engine, "zlib") == 0) s.engine = CompressionEngine::kZlib;
  if (threads && *threads) {
    char* end = nullptr;
    unsigned long n = strtoul(threads, &end, 10);
    if (*end == 0 && n >= 1 && n <= kMaxWorkers) s.threads = unsigned(n);
  }
  return s;
}

CompressionSettings compression_settings_from_environment() {
  return parse_compression_settings(getenv("TARNWICK_ENGINE"), getenv("TARNWICK_THREADS"));
}

unsigned worker_count(const CompressionSettings& settings) {
  if (settings.threads) return settings.threads;
  unsigned n = processor_count();
  return n > kMaxWorkers ? kMaxWorkers : n;
}

}  // namespace tw
