#include "container_writer.h"

#include <gtest/gtest.h>
#include <string.h>
#include <zlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "build_error.h"
#include "byte_sum.h"
#include "message_ids.h"

namespace {

struct VectorSink : tw::ByteSink {
  std::vector<unsigned char> bytes;
  void write(const void* d, size_t n) override {
    const unsigned char* p = static_cast<const unsigned char*>(d);
    bytes.insert(bytes.end(), p, p + n);
  }
};

// Pattern data, or fewer bytes than asked for (a file that shrank).
struct PatternSource : tw::ChunkSource {
  uint64_t available;
  uint64_t pos = 0;
  explicit PatternSource(uint64_t n) : available(n) {}
  void read_exact(void* buf, size_t n) override {
    if (pos + n > available) throw tw::BuildError(tw::kMsgSourceChanged, L"f");
    unsigned char* p = static_cast<unsigned char*>(buf);
    for (size_t i = 0; i < n; ++i) p[i] = static_cast<unsigned char>((pos + i) * 7 % 251);
    pos += n;
  }
};

struct Progress : tw::FileProgress {
  std::vector<uint64_t> calls;
  size_t cancel_after = SIZE_MAX;
  void progress(uint64_t done, uint64_t) override { calls.push_back(done); }
  bool cancelled() override { return calls.size() >= cancel_after; }
};

uint32_t u32(const std::vector<unsigned char>& b, size_t at) { return tw::get_u32le(&b[at]); }

TEST(ContainerWriter, FolderAndEmptyFileRecords) {
  VectorSink sink;
  tw::ContainerWriter w(sink, true);
  w.write_folder({0, 0, 0, 0x12345678, 0x10}, "abc");
  PatternSource none(0);
  EXPECT_TRUE(w.write_file({0, 0, 0, 1, 0x20}, "abc", none, nullptr));
  w.write_terminator();
  w.finish();

  const unsigned char want[] = {
      0, 3, 0, 0, 0, 0, 0, 0, 0, 0x78, 0x56, 0x34, 0x12, 0x10, 0, 0, 0, 'a', 'b', 'c',
      0x26, 1, 0, 0,  // checksum of the name alone: 0x126
      0, 3, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0x20, 0, 0, 0, 'a', 'b', 'c',
      0x26, 1, 0, 0,  // no chunk for 0 bytes
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  ASSERT_EQ(sink.bytes.size(), sizeof want);
  EXPECT_EQ(memcmp(sink.bytes.data(), want, sizeof want), 0);
}

TEST(ContainerWriter, ChunksAtTheLimitEachOneZlibStream) {
  const uint64_t size = tw::kChunkRawMax + 1;
  VectorSink sink;
  tw::ContainerWriter w(sink, true);
  PatternSource src(size);
  Progress progress;
  ASSERT_TRUE(w.write_file({1, 0, int32_t(size), 0, 0x20}, "x", src, &progress));
  EXPECT_EQ(progress.calls, (std::vector<uint64_t>{0, tw::kChunkRawMax, size}));
  w.finish();

  const auto& b = sink.bytes;
  EXPECT_EQ(b[0], 1);
  size_t at = tw::kEntryHeadSize + 1;
  std::vector<unsigned char> raw;
  for (uint32_t expect_raw : {tw::kChunkRawMax, 1u}) {
    uint32_t n = u32(b, at), c = u32(b, at + 4);
    EXPECT_EQ(n, expect_raw);
    std::vector<unsigned char> out(n + 1);
    uLongf out_len = uLongf(out.size());
    ASSERT_EQ(uncompress(out.data(), &out_len, &b[at + 8], c), Z_OK);
    EXPECT_EQ(out_len, n);
    raw.insert(raw.end(), out.begin(), out.begin() + n);
    at += 8 + c;
  }
  ASSERT_EQ(at + 4, b.size());
  PatternSource again(size);
  std::vector<unsigned char> expect(size);
  again.read_exact(expect.data(), expect.size());
  EXPECT_TRUE(raw == expect);
  EXPECT_EQ(u32(b, at), tw::byte_sum(tw::byte_sum(0, "x", 1), expect.data(), expect.size()));
}

TEST(ContainerWriter, StoredChunksWhenUncompressed) {
  VectorSink sink;
  tw::ContainerWriter w(sink, false);
  PatternSource src(5);
  w.write_file({0, 0, 5, 0, 0}, "n", src, nullptr);
  w.finish();
  ASSERT_EQ(sink.bytes.size(), tw::kEntryHeadSize + 1 + 5 + 4);
  EXPECT_EQ(sink.bytes[tw::kEntryHeadSize + 1 + 1], 7);
}

TEST(ContainerWriter, CancelStopsBeforeTheNextChunkAndClosesTheRecord) {
  VectorSink sink;
  tw::ContainerWriter w(sink, true);
  PatternSource src(3 * uint64_t(tw::kChunkRawMax));
  Progress progress;
  progress.cancel_after = 1;
  EXPECT_FALSE(w.write_file({0, 0, int32_t(src.available), 0, 0}, "c", src, &progress));
  EXPECT_EQ(src.pos, tw::kChunkRawMax);  // one chunk read, then stopped
}

TEST(ContainerWriter, ShortReadIsAnError) {
  VectorSink sink;
  tw::ContainerWriter w(sink, true);
  PatternSource shrunk(10);
  try {
    w.write_file({0, 0, 20, 0, 0}, "s", shrunk, nullptr);
    FAIL() << "a file shorter than its head must not be written";
  } catch (const tw::BuildError& e) {
    EXPECT_EQ(e.message_id(), unsigned(tw::kMsgSourceChanged));
  }
}

TEST(ChunkCompressor, EachEngineWritesOneZlibStreamEvenForIncompressibleOrEmptyInput) {
  std::vector<unsigned char> noise(1 << 20);
  uint32_t x = 12345;
  for (auto& v : noise) v = static_cast<unsigned char>((x = x * 1103515245 + 12345) >> 24);
  for (auto engine : {tw::CompressionEngine::kLibdeflate, tw::CompressionEngine::kZlib}) {
    auto c = tw::make_chunk_compressor(engine);
    for (size_t n : {noise.size(), size_t(0)}) {
      std::vector<unsigned char> out = {0xAA};  // appended after what is there
      tw::append_compressed_chunk(*c, noise.data(), n, out);
      ASSERT_EQ(u32(out, 1), n);
      uint32_t len = u32(out, 5);
      ASSERT_EQ(out.size(), 9 + len);
      EXPECT_LE(len, n + n / 10 + 267);
      EXPECT_EQ(out[9] & 0x0F, 8);  // deflate, 32 KiB window
      std::vector<unsigned char> back(n + 1);
      uLongf got = uLongf(back.size());
      ASSERT_EQ(uncompress(back.data(), &got, &out[9], len), Z_OK);
      ASSERT_EQ(got, n);
      EXPECT_EQ(memcmp(back.data(), noise.data(), n), 0);
    }
  }
}

// Many small files and folders around one file just over two chunks, with
// the cancel flag and a failing source at chosen points.
struct TreeRun {
  std::vector<unsigned char> bytes;
  bool completed = true;
  int error_id = 0;
};

TreeRun write_tree(tw::CompressionEngine engine, unsigned threads, size_t cancel_after = SIZE_MAX,
                   bool fail_last = false) {
  TreeRun run;
  VectorSink sink;
  tw::ContainerWriter w(sink, true, {engine, threads});
  Progress progress;
  progress.cancel_after = cancel_after;
  try {
    for (int i = 0; i < 300 && run.completed; ++i) {
      std::string name = "d" + std::to_string(i % 7) + "\\f" + std::to_string(i);
      if (i % 50 == 0) w.write_folder({0, 0, 0, 0, 0x10}, "d" + std::to_string(i));
      uint64_t size = i == 150 ? 2 * uint64_t(tw::kChunkRawMax) + 1 : uint64_t(i * 37 % 5000);
      PatternSource src(size);
      run.completed = w.write_file({0, 0, int32_t(size), 0, 0x20}, name, src, &progress);
    }
    if (fail_last) {
      PatternSource shrunk(10);
      w.write_file({0, 0, 20, 0, 0}, "s", shrunk, nullptr);
    }
    if (run.completed) w.write_terminator();
    w.finish();
  } catch (const tw::BuildError& e) {
    run.error_id = int(e.message_id());
  }
  run.bytes = sink.bytes;
  return run;
}

// Walks the records with zlib's own inflate; the count of files read back.
int inflate_every_record(const std::vector<unsigned char>& b) {
  size_t at = 0;
  int files = 0;
  for (;;) {
    uint32_t name_len = u32(b, at + 1), attributes = u32(b, at + 13);
    int32_t size = int32_t(u32(b, at + 5));
    if (name_len == 0 && size == 0 && attributes == 0) break;
    at += tw::kEntryHeadSize;
    uint32_t sum = tw::byte_sum(0, &b[at], name_len);
    at += name_len;
    std::vector<unsigned char> raw(tw::kChunkRawMax);
    for (int64_t left = (attributes & 0x10) ? 0 : size; left > 0;) {
      uint32_t n = u32(b, at), c = u32(b, at + 4);
      uLongf got = uLongf(raw.size());
      EXPECT_EQ(uncompress(raw.data(), &got, &b[at + 8], c), Z_OK);
      EXPECT_EQ(got, n);
      sum = tw::byte_sum(sum, raw.data(), n);
      left -= n;
      at += 8 + c;
    }
    EXPECT_EQ(u32(b, at), sum);
    at += 4;
    files += (attributes & 0x10) ? 0 : 1;
  }
  EXPECT_EQ(at + tw::kEntryHeadSize, b.size());
  return files;
}

TEST(ContainerWriter, SameBytesWhateverTheThreadCountAndZlibReadsEveryChunk) {
  for (auto engine : {tw::CompressionEngine::kLibdeflate, tw::CompressionEngine::kZlib}) {
    TreeRun one = write_tree(engine, 1);
    ASSERT_TRUE(one.completed);
    EXPECT_EQ(inflate_every_record(one.bytes), 300);
    for (unsigned threads : {2u, 4u}) EXPECT_TRUE(write_tree(engine, threads).bytes == one.bytes);
  }
}

TEST(ContainerWriter, CancelOrFailureWithChunksInFlightEndsCleanly) {
  // Cancelled partway: the chunks in flight are still written whole and in
  // order; only the checksum closing the last record differs.
  TreeRun full = write_tree(tw::CompressionEngine::kLibdeflate, 1);
  TreeRun cancelled = write_tree(tw::CompressionEngine::kLibdeflate, 4, 302);
  EXPECT_FALSE(cancelled.completed);
  EXPECT_EQ(cancelled.error_id, 0);
  ASSERT_GT(cancelled.bytes.size(), 1000u);
  ASSERT_LT(cancelled.bytes.size(), full.bytes.size());
  EXPECT_TRUE(std::equal(cancelled.bytes.begin(), cancelled.bytes.end() - 4, full.bytes.begin()));
  // A read error after many queued chunks reaches the caller as it is.
  TreeRun failed = write_tree(tw::CompressionEngine::kLibdeflate, 4, SIZE_MAX, true);
  EXPECT_EQ(failed.error_id, int(tw::kMsgSourceChanged));
}

}  // namespace
