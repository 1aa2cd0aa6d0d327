// The PE reader and writer on small files made in the test.
#include <gtest/gtest.h>

#include "pe_checksum.h"
#include "pe_image.h"
#include "pe_writer.h"
#include "peres_test_pe.h"
#include "resource_reader.h"

namespace tw::peres {
namespace {

using testing::data;
using testing::make_pe;
using testing::PeShape;
using testing::str;
using testing::u32_at;

ResourceTree sample_tree() {
  ResourceTree t;
  t[ResName::number(kRtGroupIcon)][str("_x")][0] = data("g1");
  t[ResName::number(kRtGroupIcon)][str("b")][1033] = data("g2");
  t[ResName::number(kRtGroupIcon)][str("A")][1029] = data("g3");
  t[ResName::number(kRtGroupIcon)][ResName::number(7)][0] = data("g4");
  t[ResName::number(kRtIcon)][ResName::number(2)][1031] = data(std::string(1000, 'i'));
  t[ResName::number(kRtIcon)][ResName::number(2)][0] = data("neutral");
  t[str("ZED")][ResName::number(1)][0] = data("");
  return t;
}

// The names of a directory table in the order the file holds them.
std::vector<std::string> table_names(const Bytes& f, uint32_t base, uint32_t table) {
  std::vector<std::string> names;
  uint32_t count = (u32_at(f, base + table + 12) & 0xFFFF) + (u32_at(f, base + table + 12) >> 16);
  for (uint32_t i = 0; i < count; ++i) {
    uint32_t name = u32_at(f, base + table + 16 + 8 * i);
    if (!(name & 0x80000000u)) {
      names.push_back("#" + std::to_string(name));
      continue;
    }
    uint32_t at = base + (name & 0x7FFFFFFF);
    std::string s;
    for (uint32_t k = 0; k < (u32_at(f, at) & 0xFFFF); ++k) s.push_back(char(f[at + 2 + 2 * k]));
    names.push_back(s);
  }
  return names;
}

TEST(PeresWriter, RebuildsResourcesInPlaceAndMovesTheRelocations) {
  for (bool plus : {false, true}) {
    for (uint32_t checksum : {0u, 0x1234u}) {
      SCOPED_TRACE(std::to_string(plus) + " " + std::to_string(checksum));
      Bytes in = make_pe(PeShape{plus, checksum, false, 100});
      Bytes out;
      ASSERT_TRUE(write_with_resources(in, sample_tree(), &out));
      PeImage pe;
      ASSERT_TRUE(parse_pe(out, &pe));
      ResourceTree back;
      ASSERT_TRUE(read_resources(out, pe, &back));
      EXPECT_EQ(back, sample_tree());

      const Section& rsrc = pe.sections[1];
      const Section& reloc = pe.sections[2];
      EXPECT_EQ(pe.directory(kDirResource).address, 0x2000u);
      EXPECT_EQ(pe.directory(kDirResource).size, rsrc.virtual_size);
      EXPECT_GT(rsrc.raw_size, 0x200u);  // the data grew past one block
      EXPECT_EQ(rsrc.raw_size % 0x200, 0u);
      EXPECT_EQ(reloc.virtual_address, align_up(0x2000 + rsrc.virtual_size, 0x1000));
      EXPECT_EQ(pe.directory(kDirBaseReloc).address, reloc.virtual_address);
      EXPECT_TRUE(std::equal(in.begin() + 0x600, in.begin() + 0x60C, out.begin() + reloc.raw_offset));
      EXPECT_EQ(out.size(), size_t(reloc.raw_offset + reloc.raw_size));  // nothing behind
      EXPECT_EQ(pe.directory(kDirSecurity).size, 0u);
      EXPECT_EQ(u32_at(out, pe.optional_header + kOptSizeOfImage), reloc.virtual_address + 0x1000);
      EXPECT_EQ(u32_at(out, pe.optional_header + kOptSizeOfInitializedData),
                0x200 + rsrc.raw_size);
      uint32_t sum = u32_at(out, pe.optional_header + kOptCheckSum);
      EXPECT_EQ(sum, checksum ? pe_checksum(out, pe.optional_header + kOptCheckSum) : 0u);
      EXPECT_TRUE(std::equal(in.begin() + 0x200, in.begin() + 0x400, out.begin() + 0x200));

      // Strings first, compared by their upper case, then numbers.
      uint32_t base = rsrc.raw_offset;
      EXPECT_EQ(table_names(out, base, 0), (std::vector<std::string>{"ZED", "#3", "#14"}));
      uint32_t groups = u32_at(out, base + 16 + 8 * 2 + 4) & 0x7FFFFFFF;
      EXPECT_EQ(table_names(out, base, groups),
                (std::vector<std::string>{"A", "b", "_x", "#7"}));
    }
  }
}

TEST(PeresWriter, AddsASectionWhenOtherDataFollowsTheResources) {
  Bytes in = make_pe(PeShape{false, 0, true, 0});
  Bytes out;
  ASSERT_TRUE(write_with_resources(in, sample_tree(), &out));
  PeImage pe;
  ASSERT_TRUE(parse_pe(out, &pe));
  ASSERT_EQ(pe.sections.size(), 4u);
  EXPECT_EQ(pe.sections[2].virtual_address, 0x3000u);  // .data stays
  EXPECT_TRUE(std::equal(in.begin(), in.begin() + 8, out.begin()));
  EXPECT_EQ(std::string(out.begin() + 0x600, out.begin() + 0x608), "DATADATA");
  EXPECT_EQ(pe.sections[3].name, ".rsrc");
  EXPECT_EQ(pe.directory(kDirResource).address, 0x4000u);
  EXPECT_EQ(out.size(), size_t(pe.sections[3].raw_offset + pe.sections[3].raw_size));
  ResourceTree back;
  ASSERT_TRUE(read_resources(out, pe, &back));
  EXPECT_EQ(back, sample_tree());
}

// Damaged files: each change makes the reader refuse the file.
TEST(PeresReader, RefusesDamagedFiles) {
  Bytes good;
  ASSERT_TRUE(write_with_resources(make_pe(PeShape{}), sample_tree(), &good));
  PeImage pe;
  ASSERT_TRUE(parse_pe(good, &pe));
  uint32_t base = pe.sections[1].raw_offset;
  uint32_t groups = base + (u32_at(good, base + 16 + 8 * 2 + 4) & 0x7FFFFFFF);
  uint32_t first_lang_table = base + (u32_at(good, groups + 16 + 4) & 0x7FFFFFFF);
  uint32_t data_entry = base + u32_at(good, first_lang_table + 16 + 4);
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
  } cases[] = {
      {"PE offset past the end", 0x3C, 0x7FFFFFF0},
      {"unknown optional header", pe.optional_header, 0x30B},
      {"root count past the section", base + 12, 0xFFFF},
      {"loop back to the root", groups + 16 + 4, 0x80000000u},
      {"data entry at type level", base + 16 + 4, 0x40},
      {"string past the section", groups + 16, 0x80FFFFF0u},
      {"data outside every section", data_entry, 0x7FFF0000},
      {"data longer than its section", data_entry + 4, 0x10000},
      {"resource directory outside", pe.directory_entry(kDirResource), 0x9000},
  };
  for (const Case& c : cases) {
    Bytes bad = good;
    put_u32(bad, c.at, c.value);
    ResourceTree tree;
    EXPECT_FALSE(read_pe_resources(bad, &tree)) << c.what;
  }
  for (size_t cut : {size_t(0), size_t(0x50), size_t(0x1FF), good.size() - 1}) {
    ResourceTree tree;
    EXPECT_FALSE(read_pe_resources(Bytes(good.begin(), good.begin() + cut), &tree)) << cut;
  }
}

}  // namespace
}  // namespace tw::peres
