#include "../../stub/record_walk.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void put32(Bytes& b, uint32_t v) {
  for (int i = 0; i < 4; ++i) b.push_back(uint8_t(v >> (8 * i)));
}

void head(Bytes& b, uint8_t kind, const std::string& name, int32_t size, uint32_t attributes) {
  b.push_back(kind);
  put32(b, uint32_t(name.size()));
  put32(b, uint32_t(size));
  put32(b, 0x52CF6CEFu);
  put32(b, attributes);
  b.insert(b.end(), name.begin(), name.end());
}

void folder(Bytes& b, const std::string& name) {
  head(b, 0, name, 0, 0x10);
  put32(b, 0);  // checksum: not looked at by the walk
}

// A compressed file whose chunks have these (raw, stream) lengths; the
// streams are filler (the walk never inflates).
void file(Bytes& b, const std::string& name, int32_t size, std::vector<std::pair<uint32_t, uint32_t>> chunks) {
  head(b, 0, name, size, 0x20);
  for (auto c : chunks) {
    put32(b, c.first);
    put32(b, c.second);
    b.insert(b.end(), c.second, 0xAB);
  }
  put32(b, 0);
}

void stored(Bytes& b, const std::string& name, const std::string& data) {
  head(b, 0, name, int32_t(data.size()), 0x20);
  b.insert(b.end(), data.begin(), data.end());
  put32(b, 0);
}

void terminator(Bytes& b) { b.insert(b.end(), 17, 0); }

struct Walk {
  Bytes data;
  int records = 0;
  std::vector<std::string> names;
  bool reject_all = false;
  int64_t total = -1;

  bool run(bool compressed = true, uint64_t start = 0) {
    tw::RecordSource src = {&data, read, data.size()};
    tw::WalkHooks hooks = {this, name_ok, after};
    static unsigned char name_buf[tw::kNameMax];
    return tw::measure_records(src, start, compressed, hooks, name_buf, &total);
  }
  static bool read(void* ctx, uint64_t off, void* buf, uint32_t n) {
    auto* d = static_cast<Bytes*>(ctx);
    if (off > d->size() || n > d->size() - off) return false;
    std::memcpy(buf, d->data() + off, n);
    return true;
  }
  static bool name_ok(void* ctx, const unsigned char* name, uint32_t length, bool) {
    auto* w = static_cast<Walk*>(ctx);
    w->names.emplace_back(reinterpret_cast<const char*>(name), length);
    return !w->reject_all;
  }
  static void after(void* ctx) { ++static_cast<Walk*>(ctx)->records; }
};

TEST(RecordWalk, SumsTheSizesUpToTheTerminator) {
  Walk w;
  w.data.assign(100, 0x55);  // what lies before the first record
  folder(w.data, "docs");
  file(w.data, "docs\\a.txt", 10, {{10, 18}});
  file(w.data, "big.bin", int32_t(tw::kChunkRawMax) + 5, {{tw::kChunkRawMax, 40}, {5, 13}});
  file(w.data, "empty", 0, {});
  terminator(w.data);
  w.data.insert(w.data.end(), 50, 0xEE);  // whatever follows is not read
  ASSERT_TRUE(w.run(true, 100));
  EXPECT_EQ(w.total, int64_t(tw::kChunkRawMax) + 15);
  EXPECT_EQ(w.records, 4);
  EXPECT_EQ(w.names, (std::vector<std::string>{"docs", "docs\\a.txt", "big.bin", "empty"}));
}

TEST(RecordWalk, SmallerChunksAreAcceptedWhileTheyCoverTheSize) {
  Walk w;
  file(w.data, "a", 30, {{10, 5}, {10, 5}, {10, 5}});
  terminator(w.data);
  ASSERT_TRUE(w.run());
  EXPECT_EQ(w.total, 30);
}

TEST(RecordWalk, KindByteOfTheTerminatorIsNotLookedAt) {
  Walk w;
  stored(w.data, "x", "abc");
  terminator(w.data);
  w.data[w.data.size() - 17] = 7;
  ASSERT_TRUE(w.run(false));
  EXPECT_EQ(w.total, 3);
}

TEST(RecordWalk, StoredData) {
  Walk w;
  stored(w.data, "x", "hello");
  stored(w.data, "y", std::string(1000, 'z'));
  terminator(w.data);
  ASSERT_TRUE(w.run(false));
  EXPECT_EQ(w.total, 1005);
  // Read as compressed, the same bytes make no sense.
  Walk again;
  again.data = w.data;
  EXPECT_FALSE(again.run(true));
}

TEST(RecordWalk, MissingOrCutTerminator) {
  Walk w;
  file(w.data, "a", 4, {{4, 9}});
  Walk none = w;
  EXPECT_FALSE(none.run());
  Walk cut = w;
  cut.data.insert(cut.data.end(), 16, 0);
  EXPECT_FALSE(cut.run());
  Walk empty;
  EXPECT_FALSE(empty.run());
}

TEST(RecordWalk, ChunkLengthsTheBuffersCannotHold) {
  struct Case {
    int32_t size;
    std::vector<std::pair<uint32_t, uint32_t>> chunks;
  } cases[] = {
      {int32_t(tw::kChunkRawMax) + 1, {{tw::kChunkRawMax + 1, 8}}},  // above the chunk limit
      {100, {{101, 8}}},                                           // above the size
      {100, {{60, 8}, {60, 8}}},                                   // second chunk too long
      {100, {{0, 8}, {100, 8}}},                                   // no progress
  };
  for (const Case& c : cases) {
    Walk w;
    file(w.data, "a", c.size, c.chunks);
    terminator(w.data);
    EXPECT_FALSE(w.run()) << c.size;
  }
}

TEST(RecordWalk, LengthsThatRunPastTheFile) {
  {
    Walk w;  // stream longer than what is left
    file(w.data, "a", 10, {{10, 8}});
    terminator(w.data);
    w.data[1 + 4 + 4 + 4 + 4 + 1 + 4 + 3] = 0x40;  // stream length += 0x40000000
    EXPECT_FALSE(w.run());
  }
  {
    Walk w;  // name longer than the file
    head(w.data, 0, "abc", 0, 0x10);
    w.data[1] = 200;
    put32(w.data, 0);
    terminator(w.data);
    EXPECT_FALSE(w.run());
    EXPECT_TRUE(w.names.empty());
  }
  {
    Walk w;  // name above the limit, even if the file were that long
    head(w.data, 0, "", 0, 0x10);
    uint32_t n = tw::kNameMax + 1;
    std::memcpy(&w.data[1], &n, 4);
    w.data.insert(w.data.end(), n + 4, 'a');
    terminator(w.data);
    EXPECT_FALSE(w.run());
  }
  {
    Walk w;  // stored size beyond the file
    stored(w.data, "x", "abc");
    w.data[5] = 0x30;
    terminator(w.data);
    EXPECT_FALSE(w.run(false));
  }
}

TEST(RecordWalk, NegativeSize) {
  Walk w;
  head(w.data, 0, "d", -1, 0x10);
  put32(w.data, 0);
  terminator(w.data);
  EXPECT_FALSE(w.run());
}

TEST(RecordWalk, RejectedNameStopsTheWalk) {
  Walk w;
  folder(w.data, "..");
  folder(w.data, "later");
  terminator(w.data);
  w.reject_all = true;
  EXPECT_FALSE(w.run());
  EXPECT_EQ(w.names, std::vector<std::string>{".."});
  EXPECT_EQ(w.records, 0);
}

}  // namespace
