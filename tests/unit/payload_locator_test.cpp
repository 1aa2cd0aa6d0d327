#include "payload_locator.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

struct Section {
  uint32_t raw_size;
  uint32_t raw_offset;
};

void put16(std::vector<unsigned char>& b, size_t at, uint32_t v) {
  b[at] = uint8_t(v);
  b[at + 1] = uint8_t(v >> 8);
}

void put32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}

// A PE image head: "MZ", e_lfanew at 0x3C, "PE\0\0", file header, an
// optional header of `optional` bytes and the section table.
std::vector<unsigned char> image(const std::vector<Section>& sections, uint32_t pe_at = 0x80,
                                 uint32_t optional = 0xE0) {
  std::vector<unsigned char> b(pe_at + 24 + optional + 40 * sections.size() + 16, 0);
  b[0] = 'M';
  b[1] = 'Z';
  put32(b, 0x3C, pe_at);
  std::memcpy(&b[pe_at], "PE\0\0", 4);
  put16(b, pe_at + 4, 0x14C);
  put16(b, pe_at + 6, uint32_t(sections.size()));
  put16(b, pe_at + 20, optional);
  size_t table = pe_at + 24 + optional;
  for (size_t i = 0; i < sections.size(); ++i) {
    std::memcpy(&b[table + 40 * i], ".sect\0\0\0", 8);
    put32(b, table + 40 * i + 16, sections[i].raw_size);
    put32(b, table + 40 * i + 20, sections[i].raw_offset);
  }
  return b;
}

bool read_vec(void* ctx, uint32_t offset, void* buf, uint32_t n) {
  auto* v = static_cast<std::vector<unsigned char>*>(ctx);
  if (uint64_t(offset) + n > v->size()) return false;
  std::memcpy(buf, v->data() + offset, n);
  return true;
}

uint32_t locate(std::vector<unsigned char> b) { return tw::locate_payload(read_vec, &b); }

TEST(PayloadLocator, EndOfTheFurthestSectionWhateverTheOrder) {
  EXPECT_EQ(locate(image({{0x200, 0x400}, {0x1000, 0x2000}, {0x400, 0x600}})), 0x3000u);
  EXPECT_EQ(locate(image({{0x1000, 0x2000}, {0x200, 0x400}})), 0x3000u);
}

TEST(PayloadLocator, SectionsWithoutRawDataDoNotCount) {
  // .bss has a raw offset but no raw size.
  EXPECT_EQ(locate(image({{0x200, 0x400}, {0, 0x9000}})), 0x600u);
  EXPECT_EQ(locate(image({{0, 0x400}})), 0u);
  EXPECT_EQ(locate(image({})), 0u);
}

TEST(PayloadLocator, OptionalHeaderSizeLocatesTheTable) {
  EXPECT_EQ(locate(image({{0x300, 0x500}}, 0x80, 0xF0)), 0x800u);  // PE32+
  EXPECT_EQ(locate(image({{0x300, 0x500}}, 0x100, 0)), 0x800u);
}

TEST(PayloadLocator, OnlyTheLowHalfOfThePeOffsetIsRead) {
  auto b = image({{0x200, 0x400}}, 0x80);
  put32(b, 0x3C, 0x12340080);
  EXPECT_EQ(locate(b), 0x600u);
}

TEST(PayloadLocator, WithoutMzThePeHeaderIsLookedForAtOffsetTwo) {
  std::vector<unsigned char> b(2 + 24 + 40, 0);
  b[0] = 'X';
  std::memcpy(&b[2], "PE\0\0", 4);
  put16(b, 2 + 6, 1);
  put32(b, 2 + 24 + 16, 0x10);
  put32(b, 2 + 24 + 20, 0x20);
  EXPECT_EQ(locate(b), 0x30u);
}

TEST(PayloadLocator, NotAnExecutable) {
  auto b = image({{0x200, 0x400}});
  b[0x81] = 'X';  // "PX\0\0"
  EXPECT_EQ(locate(b), 0u);
  EXPECT_EQ(locate({'M'}), 0u);
  EXPECT_EQ(locate({}), 0u);
}

TEST(PayloadLocator, CutSectionTableOrOverflowingEnd) {
  auto b = image({{0x200, 0x400}, {0x200, 0x600}});
  b.resize(b.size() - 16 - 20);  // the second header is incomplete
  EXPECT_EQ(locate(b), 0u);
  EXPECT_EQ(locate(image({{0x200, 0x400}, {0x10, 0xFFFFFFF8u}})), 0u);
  auto far = image({{0x200, 0x400}});
  put32(far, 0x3C, 0xFFF0);  // PE header beyond the file
  EXPECT_EQ(locate(far), 0u);
}

}  // namespace
