// The console tool's reading of SFX files: what list shows, and verify and
// extract through the stub's passes.
#include <gtest/gtest.h>

#include "../support/fake_file_system.h"
#include "../support/sfx_builder.h"
#include "list_format.h"
#include "peres_test_pe.h"
#include "record_pass.h"
#include "resource_edits.h"

namespace {

using namespace tw;
using namespace tw::cli;

class MemoryFile : public RandomFile {
 public:
  explicit MemoryFile(std::vector<unsigned char> b) : bytes(std::move(b)) {}
  uint64_t size() const override { return bytes.size(); }
  bool read_at(uint64_t offset, void* buf, uint32_t n) override {
    if (offset > bytes.size() || n > bytes.size() - offset) return false;
    std::copy(bytes.begin() + long(offset), bytes.begin() + long(offset + n), static_cast<unsigned char*>(buf));
    return true;
  }
  std::vector<unsigned char> bytes;
};

// A stub recording code page 949 and asking for the highest rights, the
// header, and records.
std::vector<unsigned char> sfx(const sfxb::Bytes& records, uint8_t mode = 1, bool self_delete = false) {
  peres::Bytes stub = peres::testing::make_pe({});
  peres::WriteResourceInLanguage(&stub, peres::ResName::number(peres::kRtRcData),
                                 peres::ResName::string(u"CODEPAGE"), 0, {0xB5, 0x03, 0, 0});
  std::string manifest = "<requestedExecutionLevel level=\"highestAvailable\"/>";
  peres::WriteResource(&stub, peres::ResName::number(peres::kRtManifest), peres::ResName::number(1),
                       peres::Bytes(manifest.begin(), manifest.end()));
  OptionHeader h = {};
  h.extraction_mode = mode;
  h.extraction_folder = 5;
  strcpy(h.parameters, "-x \"a b\"");
  strcpy(h.custom_folder, "%TEMP%\\app\\");
  strcpy(h.run_id, "00ABCDEF12");
  h.compressed = 1;
  h.self_delete = self_delete;
  unsigned char header[kHeaderSize];
  encode_option_header(h, header);
  std::vector<unsigned char> out(stub.begin(), stub.end());
  out.insert(out.end(), header, header + kHeaderSize);
  out.insert(out.end(), records.begin(), records.end());
  return out;
}

sfxb::Bytes sample_records(bool bend = false) {
  sfxb::Bytes r;
  sfxb::folder(r, "bin");
  sfxb::folder(r, "bin\\sub");  // a file after a sibling folder
  sfxb::file(r, "bin\\start.cmd", "@echo off", 1);
  sfxb::file(r, "data.bin", std::string(3000, 'd'), 0, 0x21, bend ? -1 : sfxb::kNoBend, 1000);
  sfxb::terminator(r);
  return r;
}

int latin1(void*, const unsigned char* in, uint32_t n, wchar_t* out, uint32_t cap) {
  if (n > cap) return -1;
  for (uint32_t i = 0; i < n; ++i) out[i] = in[i];
  return int(n);
}

PassOutcome verify(MemoryFile& f, const FileSystem* fs = nullptr) {
  SfxFile s;
  std::string problem;
  read_sfx_file(f, &s, &problem);
  PassSetup p;
  p.file = &f;
  p.sfx = &s;
  p.fs = fs;
  p.folder = L"C:\\out\\";
  p.overwrite_mode = 1;
  p.decode = latin1;
  return run_record_pass(p);
}

TEST(SfxFile, ReadsStubHeaderAndRecordsWithoutInflating) {
  MemoryFile f(sfx(sample_records()));
  SfxFile s;
  std::string problem;
  ASSERT_EQ(read_sfx_file(f, &s, &problem), 0u) << problem;
  EXPECT_EQ(s.stub_size, f.bytes.size() - kHeaderSize - sample_records().size());
  EXPECT_EQ(s.codepage, 949u);
  EXPECT_EQ(s.uac, 1);
  EXPECT_FALSE(s.certificate);
  ASSERT_EQ(s.records.size(), 4u);
  EXPECT_EQ(s.records[3].name, "data.bin");
  EXPECT_EQ(s.records[3].chunks, 3u);

  // Cut inside the last record: the records before it stay, code 13.
  f.bytes.resize(f.bytes.size() - 30);
  SfxFile cut;
  EXPECT_EQ(read_sfx_file(f, &cut, &problem), kCodeDamagedRecords);
  EXPECT_EQ(cut.records.size(), 3u);
  EXPECT_NE(problem.find("record 4 at offset"), std::string::npos) << problem;

  MemoryFile bare(peres::testing::make_pe({}));
  EXPECT_EQ(read_sfx_file(bare, &cut, &problem), kCodeNoContainer);
}

// The documented JSON of list, field by field.
TEST(ListFormat, JsonIsTheDocumentedFormat) {
  MemoryFile f(sfx(sample_records()));
  SfxFile s;
  std::string problem;
  read_sfx_file(f, &s, &problem);
  s.records.erase(s.records.begin() + 1);
  s.records.erase(s.records.begin() + 2);
  Listing l{"C:\\o\"ut.exe", &s, 949, [](const std::string& in, std::string* out) {
              *out = in;
              return true;
            }};
  EXPECT_EQ(list_json(l), "{\n  \"format\": 1,\n  \"file\": \"C:\\\\o\\\"ut.exe\",\n  \"stub_size\": " +
                              std::to_string(s.stub_size) +
                              ",\n  \"certificate_table\": false,\n  \"code_page\": 949,\n"
                              "  \"code_page_recorded\": true,\n  \"run_id\": \"00ABCDEF12\",\n  \"options\": {\n"
                              "    \"mode\": \"run\",\n    \"run_file\": \"bin\\\\start.cmd\",\n"
                              "    \"parameters\": \"-x \\\"a b\\\"\",\n    \"folder\": \"custom\",\n"
                              "    \"custom_folder\": \"%TEMP%\\\\app\\\\\",\n    \"overwrite\": \"ask\",\n"
                              "    \"delete\": \"now\",\n    \"workdir\": \"extraction\",\n    \"uac\": \"highest\",\n"
                              "    \"open_folder\": false,\n    \"one_instance\": false,\n    \"silent\": false,\n"
                              "    \"self_delete\": false,\n    \"compressed\": true\n  },\n  \"records\": [\n"
                              "    {\"kind\": \"folder\", \"name\": \"bin\", \"size\": 0, \"time\": "
                              "\"2021-06-15T13:39:30\", \"dos_time\": 1389325551, \"attributes\": 16, \"stored\": 0, "
                              "\"chunks\": 0},\n"
                              "    {\"kind\": \"run\", \"name\": \"bin\\\\start.cmd\", \"size\": 9, \"time\": "
                              "\"2021-06-15T13:39:30\", \"dos_time\": 1389325551, \"attributes\": 32, \"stored\": " +
                              std::to_string(s.records[1].stored) +
                              ", \"chunks\": 1}\n  ],\n  \"totals\": {\"folders\": 1, \"files\": 1, \"size\": 9, "
                              "\"stored\": " +
                              std::to_string(s.records[1].stored) + "}\n}\n");
  EXPECT_EQ(json_string(std::string("\x01\t", 2)), "\"\\u0001\\u0009\"");
  EXPECT_EQ(attribute_letters(0x37), "DRHSA");
}

// verify: the stub's passes on a file system that keeps nothing; the code
// of the fault and the record it lies in.
TEST(RecordPass, VerifyNamesTheDamagedRecord) {
  MemoryFile sound(sfx(sample_records()));
  EXPECT_EQ(verify(sound).code, 0u);

  MemoryFile bent(sfx(sample_records(true)));
  PassOutcome o = verify(bent);
  EXPECT_EQ(o.code, 23u);
  EXPECT_TRUE(o.damaged);
  EXPECT_EQ(o.record, 4u);
  EXPECT_EQ(o.record_name, "data.bin");

  sfxb::Bytes r;
  sfxb::file(r, "ok.txt", "fine");
  sfxb::file(r, "aux.txt", "a device name");
  sfxb::terminator(r);
  MemoryFile device(sfx(r));
  o = verify(device);
  EXPECT_EQ(o.code, 13u);
  EXPECT_EQ(o.record, 2u);
  EXPECT_EQ(o.record_name, "aux.txt");

  sound.bytes.resize(sound.bytes.size() - 10);  // the terminator cut short
  o = verify(sound);
  EXPECT_EQ(o.code, 13u);
  EXPECT_EQ(o.record, 5u);
}

// extract: the helper record is checked like any other but written nowhere.
TEST(RecordPass, ExtractLeavesTheHelperOut) {
  sfxb::Bytes r;
  sfxb::file(r, TW_HELPER_NAME, "MZ helper", 2);
  sfxb::file(r, "a.txt", "alpha");
  sfxb::terminator(r);
  MemoryFile f(sfx(r, 0, true));
  FakeFileSystem fs;
  fs.add_folder(L"C:");
  fs.add_folder(L"C:\\out");
  PassOutcome o = verify(f, fs.table());
  ASSERT_EQ(o.code, 0u);
  EXPECT_EQ(o.files, 1u);
  EXPECT_EQ(fs.nodes.size(), 3u);
  EXPECT_EQ(fs.nodes[L"C:\\out\\a.txt"].data, "alpha");
}

}  // namespace
