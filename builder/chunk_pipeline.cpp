#include "chunk_pipeline.h"

#include <string.h>

#include "container_format.h"
#include "container_writer.h"

namespace tw {

ChunkPipeline::ChunkPipeline(ByteSink& out, bool compressed, const CompressionSettings& settings)
    : out_(out), compressed_(compressed) {
  unsigned workers = worker_count(settings);
  jobs_.resize(workers + 2);
  try {
    for (unsigned i = 0; i < workers; ++i) {
      // Each worker owns its engine for the whole build.
      std::shared_ptr<ChunkCompressor> engine(make_chunk_compressor(settings.engine));
      workers_.push_back(std::make_unique<Thread>([this, engine] { work(*engine); }));
    }
  } catch (...) {
    stop_workers();
    throw;
  }
}

ChunkPipeline::~ChunkPipeline() { stop_workers(); }

void ChunkPipeline::stop_workers() {
  {
    Lock lock(mutex_);
    stop_ = true;
  }
  work_ready_.notify_all();
  // Each worker ends its job in hand (it cannot stop inside one chunk's
  // compression); meanwhile the window keeps answering.
  if (wait_hook_) wait_until([this] { return busy_ == 0; }, false);
  workers_.clear();  // joins each
}

void ChunkPipeline::wait_until(const std::function<bool()>& done, bool give_up) {
  const unsigned kLookEvery = 50;  // ms
  for (;;) {
    {
      Lock lock(mutex_);
      if (done()) return;
      if (!wait_hook_) {
        while (!done()) job_done_.wait(lock);
        return;
      }
      job_done_.wait_for(lock, kLookEvery);
      if (done()) return;
    }
    if (wait_hook_() && give_up) throw Abandoned();
  }
}

void ChunkPipeline::write(const void* data, size_t n) {
  const unsigned char* p = static_cast<const unsigned char*>(data);
  std::vector<unsigned char>& literals = filling().literals;
  literals.insert(literals.end(), p, p + n);
}

unsigned char* ChunkPipeline::chunk_buffer(size_t n) {
  if (filling_ && filling_->raw_used + n > kChunkRawMax) submit();
  Job& job = filling();
  if (job.raw.size() < kChunkRawMax) job.raw.resize(kChunkRawMax);
  return job.raw.data() + job.raw_used;
}

void ChunkPipeline::commit_chunk(size_t n) {
  Job& job = *filling_;
  job.pieces.push_back({job.literals.size(), job.raw_used, n});
  job.raw_used += n;
  if (job.raw_used == kChunkRawMax) submit();  // full: start on it now
}

void ChunkPipeline::flush() {
  if (filling_) submit();
  while (written_ < submitted_) write_next();
}

// The job being filled; a free slot is made by writing the oldest job when
// all are in use.
ChunkPipeline::Job& ChunkPipeline::filling() {
  if (!filling_) {
    while (submitted_ - written_ >= jobs_.size()) write_next();
    Job& job = jobs_[submitted_ % jobs_.size()];
    job.raw_used = 0;
    job.literals.clear();
    job.pieces.clear();
    job.done = false;
    job.error = nullptr;
    filling_ = &job;
  }
  return *filling_;
}

void ChunkPipeline::submit() {
  {
    Lock lock(mutex_);
    ++submitted_;
  }
  filling_ = nullptr;
  work_ready_.notify_one();
  // Write what is finished already, without waiting.
  while (written_ < submitted_) {
    Job& job = jobs_[written_ % jobs_.size()];
    {
      Lock lock(mutex_);
      if (!job.done) break;
    }
    write_next();
  }
}

void ChunkPipeline::write_next() {
  Job& job = jobs_[written_ % jobs_.size()];
  wait_until([&job] { return job.done; }, true);
  if (job.error) std::rethrow_exception(job.error);
  out_.write(job.out.data(), job.out.size());
  ++written_;
}

void ChunkPipeline::work(ChunkCompressor& compressor) {
  for (;;) {
    Job* job;
    {
      Lock lock(mutex_);
      while (!stop_ && taken_ == submitted_) work_ready_.wait(lock);
      if (stop_) return;
      job = &jobs_[taken_++ % jobs_.size()];
      ++busy_;
    }
    try {
      encode(*job, compressor);
    } catch (...) {
      job->error = std::current_exception();
    }
    {
      Lock lock(mutex_);
      job->done = true;
      --busy_;
    }
    job_done_.notify_all();
  }
}

// Output of a job: for each piece the literals before it, then its chunk
// record (compressed) or its raw bytes (stored); then the trailing literals.
void ChunkPipeline::encode(Job& job, ChunkCompressor& compressor) const {
  std::vector<unsigned char>& out = job.out;
  out.clear();
  size_t literal = 0;
  for (const Piece& piece : job.pieces) {
    out.insert(out.end(), job.literals.begin() + literal, job.literals.begin() + piece.literal_end);
    literal = piece.literal_end;
    const unsigned char* raw = job.raw.data() + piece.raw_begin;
    if (compressed_)
      append_compressed_chunk(compressor, raw, piece.raw_length, out);
    else
      out.insert(out.end(), raw, raw + piece.raw_length);
  }
  out.insert(out.end(), job.literals.begin() + literal, job.literals.end());
}

}  // namespace tw
