#pragma once
// How the maker compresses: which engine, on how many worker threads.
// Read from the environment of the maker:
//   TARNWICK_ENGINE    "libdeflate" (default) or "zlib"
//   TARNWICK_THREADS   1 to 64 workers (default: one per processor)
// Other values are ignored. The output bytes depend on the engine only,
// never on the number of threads.
#include "chunk_compressor.h"

namespace tw {

const unsigned kMaxWorkers = 64;

struct CompressionSettings {
  CompressionEngine engine = CompressionEngine::kLibdeflate;
  unsigned threads = 0;  // 0: one per processor
};

// engine and threads as the environment gives them (nullptr when unset).
CompressionSettings parse_compression_settings(const char* engine, const char* threads);
CompressionSettings compression_settings_from_environment();
// The number of workers to start: settings.threads, or one per processor.
unsigned worker_count(const CompressionSettings& settings);

}  // namespace tw
