#pragma once
// Appends the option header, the records and the terminator of an SFX
// container (layout in common/container_format.h) to an output.
#include <stdint.h>

#include <string>
#include <vector>

#include "chunk_pipeline.h"
#include "compression_settings.h"
#include "container_format.h"

namespace tw {

class ByteSink {
 public:
  virtual ~ByteSink() = default;
  virtual void write(const void* data, size_t n) = 0;  // throws BuildError
};

class ChunkSource {
 public:
  virtual ~ChunkSource() = default;
  // Fills buf with exactly n bytes or throws BuildError (a short read means
  // the file changed or cannot be read).
  virtual void read_exact(void* buf, size_t n) = 0;
};

class FileProgress {
 public:
  virtual ~FileProgress() = default;
  // done bytes of the current file of size bytes.
  virtual void progress(uint64_t done, uint64_t size) = 0;
  virtual bool cancelled() = 0;
};

// Records are queued in order and their chunks compressed on worker threads
// (chunk_pipeline.h); finish() writes everything still in flight.
class ContainerWriter {
 public:
  ContainerWriter(ByteSink& out, bool compressed,
                  const CompressionSettings& settings = CompressionSettings())
      : pipeline_(out, compressed, settings) {}

  void write_header(const OptionHeader& header);
  void write_folder(const EntryHead& head, const std::string& name);
  // Writes a file record of head.size bytes taken from source. Stops before
  // the next chunk once progress reports a cancel; the checksum of what was
  // written still closes the record. Returns false when cancelled.
  bool write_file(const EntryHead& head, const std::string& name, ChunkSource& source,
                  FileProgress* progress);
  void write_terminator();
  // Waits for the chunks in flight and writes all that is queued. Throws
  // the BuildError a worker raised (compression error, over-size stream).
  void finish();
  // While the build's thread waits for a worker (see ChunkPipeline).
  void on_wait(ChunkPipeline::WaitHook hook) { pipeline_.on_wait(std::move(hook)); }

 private:
  uint32_t write_head_and_name(const EntryHead& head, const std::string& name);
  void write_u32(uint32_t v);

  ChunkPipeline pipeline_;
};

}  // namespace tw
