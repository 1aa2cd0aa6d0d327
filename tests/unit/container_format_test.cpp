#include "container_format.h"

#include <gtest/gtest.h>

#include <vector>
#include <string.h>

#include <string>

#include "byte_sum.h"

namespace {

TEST(ContainerFormat, HeaderFieldsLandAtTheirOffsets) {
  tw::OptionHeader h = {};
  h.extraction_mode = 1;
  h.extraction_folder = 5;
  strcpy(h.parameters, "-x \"a b\"");
  strcpy(h.custom_folder, "%TEMP%\\app\\");
  tw::format_run_id(0x1234ABCD, h.run_id);
  h.open_folder = 1;
  h.compressed = 1;
  h.one_instance = 1;
  h.silent = 0;
  h.self_delete = 1;
  h.delete_mode = 2;
  h.working_folder = 1;
  h.overwrite_mode = 2;

  unsigned char b[tw::kHeaderSize];
  memset(b, 0xEE, sizeof b);
  tw::encode_option_header(h, b);
  EXPECT_EQ(b[0], 1);
  EXPECT_EQ(b[1], 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b + 2)), "-x \"a b\"");
  EXPECT_EQ(b[2 + 8], 0);
  EXPECT_EQ(b[2049], 0);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b + 2050)), "%TEMP%\\app\\");
  EXPECT_EQ(std::string(reinterpret_cast<char*>(b + 2311), 11), std::string("001234ABCD\0", 11));
  const unsigned char tail[] = {1, 1, 1, 0, 1, 2, 1, 2};
  EXPECT_EQ(memcmp(b + 2322, tail, sizeof tail), 0);

  tw::OptionHeader back;
  tw::decode_option_header(b, &back);
  EXPECT_STREQ(back.parameters, h.parameters);
  EXPECT_STREQ(back.custom_folder, h.custom_folder);
  EXPECT_STREQ(back.run_id, "001234ABCD");
  EXPECT_EQ(back.overwrite_mode, 2);
}

TEST(ContainerFormat, LongTextsAreCutToTheirFields) {
  tw::OptionHeader h = {};
  std::string params(tw::kParametersMax, 'p');
  std::string folder(tw::kCustomFolderMax, 'f');
  strcpy(h.parameters, params.c_str());
  strcpy(h.custom_folder, folder.c_str());
  unsigned char b[tw::kHeaderSize];
  tw::encode_option_header(h, b);
  EXPECT_EQ(b[2 + 2046], 'p');
  EXPECT_EQ(b[2 + 2047], 0);  // the NUL of a full field
  EXPECT_EQ(b[2050 + 259], 'f');
  EXPECT_EQ(b[2050 + 260], 0);
  // A damaged header without NULs still decodes to terminated texts.
  memset(b, 'x', sizeof b);
  tw::OptionHeader back;
  tw::decode_option_header(b, &back);
  EXPECT_EQ(strlen(back.parameters), tw::kParametersMax);
  EXPECT_EQ(strlen(back.custom_folder), tw::kCustomFolderMax);
  EXPECT_EQ(strlen(back.run_id), tw::kRunIdDigits);
}

TEST(ContainerFormat, EntryHeadRoundTripsAndTerminatorIgnoresKind) {
  tw::EntryHead e = {2, 12, -5, 0x5A6B7C8D, 0x10};
  unsigned char b[tw::kEntryHeadSize];
  tw::encode_entry_head(e, b);
  const unsigned char want[] = {2, 12, 0, 0, 0, 0xFB, 0xFF, 0xFF, 0xFF,
                                0x8D, 0x7C, 0x6B, 0x5A, 0x10, 0, 0, 0};
  EXPECT_EQ(memcmp(b, want, sizeof want), 0);
  tw::EntryHead back;
  tw::decode_entry_head(b, &back);
  EXPECT_EQ(back.size, -5);
  EXPECT_TRUE(tw::is_directory(back));
  EXPECT_FALSE(tw::is_terminator(back));

  unsigned char term[tw::kEntryHeadSize] = {7};
  tw::decode_entry_head(term, &back);
  EXPECT_TRUE(tw::is_terminator(back));
}

TEST(ContainerFormat, ChunkPlan) {
  EXPECT_EQ(tw::chunk_count(0), 0u);
  EXPECT_EQ(tw::chunk_count(1), 1u);
  EXPECT_EQ(tw::chunk_count(9437184), 1u);
  EXPECT_EQ(tw::chunk_count(9437185), 2u);
  EXPECT_EQ(tw::chunk_raw_length(9437185, 0), 9437184u);
  EXPECT_EQ(tw::chunk_raw_length(9437185, 9437184), 1u);
  EXPECT_EQ(tw::chunk_raw_length(0x7FFFFFFF, 0), 9437184u);
}

TEST(ContainerFormat, RunIdIsTenUppercaseHexDigits) {
  char id[11];
  tw::format_run_id(0, id);
  EXPECT_STREQ(id, "0000000000");
  tw::format_run_id(2147483646, id);
  EXPECT_STREQ(id, "007FFFFFFE");
  tw::format_run_id(0xabcdef, id);
  EXPECT_STREQ(id, "0000ABCDEF");
}

TEST(ByteSum, NameThenDataAndWrap) {
  EXPECT_EQ(tw::byte_sum(0, "abc", 3), 0x126u);
  uint32_t s = tw::byte_sum(0, "abc", 3);
  const unsigned char high[] = {0xFF, 0x80};
  EXPECT_EQ(tw::byte_sum(s, high, 2), 0x126u + 0xFF + 0x80);  // bytes are unsigned
  EXPECT_EQ(tw::byte_sum(0xFFFFFFFFu, "\x02", 1), 1u);        // wraps at 2^32
  // Long runs of the largest byte, at every offset and length around the
  // word-wise inner loop.
  std::vector<unsigned char> ff(1200, 0xFF);
  for (size_t start : {0, 1, 3}) {
    for (size_t n : {511, 512, 513, 1197}) EXPECT_EQ(tw::byte_sum(7, ff.data() + start, n), 7 + 255 * n) << n;
  }
}

}  // namespace
