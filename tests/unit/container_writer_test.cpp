#include "container_writer.h"

#include <gtest/gtest.h>
#include <string.h>
#include <zlib.h>

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

TEST(ChunkCompressor, IncompressibleDataFitsAndEmptyInputGivesAStream) {
  tw::ChunkCompressor c;
  std::vector<unsigned char> noise(1 << 20);
  uint32_t x = 12345;
  for (auto& v : noise) v = static_cast<unsigned char>((x = x * 1103515245 + 12345) >> 24);
  const auto& s = c.compress(noise.data(), noise.size());
  EXPECT_GT(s.size(), noise.size());
  EXPECT_LE(s.size(), noise.size() + noise.size() / 10 + 267);
  std::vector<unsigned char> back(noise.size());
  uLongf n = uLongf(back.size());
  ASSERT_EQ(uncompress(back.data(), &n, s.data(), uLong(s.size())), Z_OK);
  EXPECT_TRUE(back == noise);

  const auto& e = c.compress(nullptr, 0);
  EXPECT_GE(e.size(), 8u);  // zlib header, empty block, Adler-32
  EXPECT_EQ(e[0] & 0x0F, 8);  // deflate, 32 KiB window
}

}  // namespace
