#pragma once
// The ordered compression pipeline behind the container writer. The build's
// thread queues literal bytes (heads, names, checksums) and raw chunks; worker
// threads compress the chunks; the build's thread writes the results in the
// order they were queued, so the output does not depend on the number of
// workers.
//
// Work travels in jobs. A job holds up to 9,437,184 raw bytes: one full
// chunk, or the chunks of many small files together (so that a big chunk
// does not leave the other workers idle), with the literal bytes that stand
// between them. A job's output is its literals and chunk records in order.
// There are workers + 2 jobs in all (compressing, being read, waiting to be
// written); each holds at most about 18.1 MiB (raw bytes and output), so the
// memory in flight is bounded by (workers + 2) x 18.1 MiB whatever the file
// sizes: 73 MiB with two workers.
#include <stddef.h>
#include <stdint.h>

#include <exception>
#include <functional>
#include <memory>
#include <vector>

#include "chunk_compressor.h"
#include "compression_settings.h"
#include "threads.h"

namespace tw {

class ByteSink;

class ChunkPipeline {
 public:
  // Thrown out of a wait when the wait hook gives up (the build was
  // cancelled): nothing more is written, the queued jobs are dropped.
  struct Abandoned {};
  // Called about every 50 ms while the build's thread waits for a worker,
  // so that a window can answer meanwhile; true gives up the wait.
  using WaitHook = std::function<bool()>;

  // compressed: chunks become zlib chunk records; else they are stored raw.
  ChunkPipeline(ByteSink& out, bool compressed, const CompressionSettings& settings);
  // Stops the workers; what is still queued is dropped (the build failed).
  ~ChunkPipeline();
  ChunkPipeline(const ChunkPipeline&) = delete;
  ChunkPipeline& operator=(const ChunkPipeline&) = delete;

  // Queues bytes to be written as they are.
  void write(const void* data, size_t n);
  // Room for the next chunk of n raw bytes (n <= 9,437,184): fill it, then
  // call commit_chunk(n). May wait for a job to be written first.
  unsigned char* chunk_buffer(size_t n);
  void commit_chunk(size_t n);
  // Waits for every queued job and writes it. Throws what a worker raised.
  void flush();
  void on_wait(WaitHook hook) { wait_hook_ = std::move(hook); }

 private:
  struct Piece {
    size_t literal_end;  // literals [previous end, literal_end) come first
    size_t raw_begin;
    size_t raw_length;
  };
  struct Job {
    std::vector<unsigned char> raw;
    size_t raw_used = 0;
    std::vector<unsigned char> literals;
    std::vector<Piece> pieces;
    std::vector<unsigned char> out;
    bool done = false;
    std::exception_ptr error;
  };

  void stop_workers();
  // Waits until done() holds, calling the hook between looks; Abandoned
  // when it gives up (give_up: else the hook's answer is ignored).
  void wait_until(const std::function<bool()>& done, bool give_up);
  Job& filling();
  void submit();
  void write_next();  // waits for the oldest unwritten job, writes it
  void work(ChunkCompressor& compressor);
  void encode(Job& job, ChunkCompressor& compressor) const;

  ByteSink& out_;
  bool compressed_;
  std::vector<Job> jobs_;
  Job* filling_ = nullptr;
  // Job numbers; job k lives in jobs_[k % jobs_.size()].
  uint64_t submitted_ = 0;  // handed to the workers (guarded by mutex_)
  uint64_t taken_ = 0;      // taken by a worker (guarded by mutex_)
  uint64_t written_ = 0;    // written to out_ (the build's thread only)
  unsigned busy_ = 0;       // workers encoding a job (guarded by mutex_)
  bool stop_ = false;
  WaitHook wait_hook_;
  Mutex mutex_;
  CondVar work_ready_;
  CondVar job_done_;
  std::vector<std::unique_ptr<Thread>> workers_;
};

}  // namespace tw
