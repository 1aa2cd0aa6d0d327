#include <gtest/gtest.h>

#include "../support/pass_runner.h"
#include "../support/sfx_builder.h"

namespace {

using sfxb::file;
using sfxb::folder;
using sfxb::terminator;

// Every path of the fake below C:\out, with the folders marked by "/".
std::vector<std::wstring> listing(const PassRunner& r) {
  std::vector<std::wstring> out;
  for (auto& n : r.fs.nodes) {
    if (n.first.rfind(L"C:\\out\\", 0) == 0) out.push_back(n.first.substr(7) + (n.second.folder ? L"/" : L""));
  }
  return out;
}

TEST(ExtractPass, WritesFoldersAndFilesAndListsWhatItMade) {
  PassRunner r;
  r.fs.add_folder(L"C:\\out\\old");
  folder(r.records, "old");
  folder(r.records, "old\\new", 0x12);
  file(r.records, "old\\new\\a.txt", "alpha", 1, 0x21);
  file(r.records, "b.bin", std::string(3000, 'b'), 0, 0x20, false, 1000);  // three chunks
  terminator(r.records);
  ASSERT_EQ(r.run(), 0u);
  EXPECT_EQ(listing(r), (std::vector<std::wstring>{L"b.bin", L"old/", L"old\\new/", L"old\\new\\a.txt"}));
  EXPECT_EQ(r.data(L"C:\\out\\b.bin"), std::string(3000, 'b'));
  EXPECT_EQ(r.fs.nodes[L"C:\\out\\old\\new\\a.txt"].attributes, 0x21u);
  EXPECT_EQ(r.fs.nodes[L"C:\\out\\old\\new\\a.txt"].dos_time, 0x52CF6CEFu);
  EXPECT_EQ(r.fs.nodes[L"C:\\out\\old\\new"].attributes, 0x02u);
  EXPECT_EQ(r.fs.nodes[L"C:\\out\\old"].attributes, 0x20u);  // there before: untouched
  EXPECT_EQ(r.run_path, L"C:\\out\\old\\new\\a.txt");
  ASSERT_EQ(r.created.count(), 1u);
  EXPECT_STREQ(r.created.at(0), L"C:\\out\\old\\new");
  EXPECT_EQ(r.extracted.count(), 2u);
  EXPECT_EQ(r.fs.open_files, 0);
}

// A full disk cuts a write short: 112, and the file is not left behind; an
// existing file that was to be replaced keeps its content.
TEST(ExtractPass, ShortWriteFailsAndLeavesNoFile) {
  for (bool existing : {false, true}) {
    PassRunner r;
    if (existing) r.fs.add_file(L"C:\\out\\big.bin", "old content");
    file(r.records, "small.txt", "fits");
    file(r.records, "big.bin", std::string(5000, 'x'));
    terminator(r.records);
    r.fs.space = 1000;
    EXPECT_EQ(r.run(), 112u);
    EXPECT_EQ(std::wstring(r.fail_path), L"C:\\out\\big.bin");
    EXPECT_EQ(r.data(L"C:\\out\\small.txt"), "fits");
    EXPECT_EQ(r.data(L"C:\\out\\big.bin"), existing ? "old content" : "<none>");
    EXPECT_EQ(listing(r).size(), existing ? 2u : 1u);  // no temporary file either
    EXPECT_EQ(r.fs.open_files, 0);
  }
}

TEST(ExtractPass, ReplacesAnExistingFileOnlyWhenComplete) {
  PassRunner r;
  r.fs.add_file(L"C:\\out\\a.txt", "old");
  r.fs.nodes[L"C:\\out\\a.txt"].attributes = 0x01;  // read-only
  file(r.records, "a.txt", "new");
  terminator(r.records);
  r.fs.refuse_rename = true;
  EXPECT_EQ(r.run(), 5u);
  EXPECT_EQ(listing(r), std::vector<std::wstring>{L"a.txt"});
  EXPECT_EQ(r.fs.nodes[L"C:\\out\\a.txt"].attributes, 0x01u);
  r.fs.refuse_rename = false;
  EXPECT_EQ(r.run(), 0u);
  EXPECT_EQ(r.data(L"C:\\out\\a.txt"), "new");
  EXPECT_EQ(r.extracted.count(), 0u);  // it was there before: run mode keeps it
}

// Damage in the last chunk of the last file: nothing at all is written.
TEST(ExtractPass, DamageAnywhereWritesNothing) {
  PassRunner r;
  folder(r.records, "d");
  file(r.records, "d\\first.txt", "first");
  file(r.records, "last.bin", std::string(4000, 'z'), 0, 0x20, true, 1000);
  terminator(r.records);
  EXPECT_EQ(r.run(), 23u);
  EXPECT_EQ(r.fail_path, nullptr);  // the SFX file is named
  EXPECT_TRUE(listing(r).empty());
}

// Existing files in skip mode keep their content and their attributes.
TEST(ExtractPass, SkipModeLeavesExistingFilesAlone) {
  PassRunner r;
  r.fs.add_file(L"C:\\out\\a.txt", "mine");
  file(r.records, "a.txt", "theirs", 0, 0x07);
  terminator(r.records);
  EXPECT_EQ(r.run(2), 0u);
  EXPECT_EQ(r.data(L"C:\\out\\a.txt"), "mine");
  EXPECT_EQ(r.fs.nodes[L"C:\\out\\a.txt"].attributes, 0x20u);
}

// Links below the extraction folder are never written through or onto.
TEST(ExtractPass, LinksLeadNowhere) {
  for (const char* name : {"flink\\x.txt", "file.txt", "sub\\deeper"}) {
    PassRunner r;
    r.fs.add_folder(L"C:\\elsewhere");
    r.fs.add_file(L"C:\\elsewhere\\file.txt", "outside");
    r.fs.add_link(L"C:\\out\\flink", L"C:\\elsewhere");  // a folder link
    r.fs.add_link(L"C:\\out\\file.txt", L"C:\\elsewhere\\file.txt");  // a file link
    r.fs.add_link(L"C:\\out\\sub", L"C:\\elsewhere");
    if (std::string(name) == "sub\\deeper") {
      folder(r.records, name);
    } else {
      file(r.records, name, "inside");
    }
    terminator(r.records);
    EXPECT_EQ(r.run(), tw::kErrReparsePoint) << name;
    EXPECT_EQ(r.data(L"C:\\elsewhere\\file.txt"), "outside");
    EXPECT_EQ(r.fs.nodes.size(), 8u) << name;  // C:, out, temp, elsewhere, its file, three links
  }
}

// The helper record: first, under its one name, with self-delete on.
TEST(ExtractPass, HelperRecordRules) {
  struct Case {
    bool helper_first;
    const char* name;
    bool self_delete;
    uint32_t code;
  } cases[] = {{true, "xsfxdel~.exe", true, 0},   {true, "xsfxdel~.exe", false, 13},
               {false, "xsfxdel~.exe", true, 13}, {true, "evil.exe", true, 13},
               {true, "XSFXDEL~.EXE", true, 13}};
  for (const Case& c : cases) {
    PassRunner r;
    r.fs.add_file(L"C:\\temp\\xsfxdel~.exe", "stale");
    if (!c.helper_first) file(r.records, "a.txt", "a");
    file(r.records, c.name, "MZhelper", 2);
    if (c.helper_first) file(r.records, "a.txt", "a");
    terminator(r.records);
    EXPECT_EQ(r.run(2, c.self_delete), c.code) << c.name;
    EXPECT_EQ(r.data(L"C:\\temp\\xsfxdel~.exe"), c.code ? "stale" : "MZhelper") << c.name;
    EXPECT_EQ(r.helper_path, c.code ? L"" : L"C:\\temp\\xsfxdel~.exe");
    EXPECT_EQ(r.has(L"C:\\out\\a.txt"), c.code == 0);
  }
}

// The name check sees every stored byte: a NUL inside is no name.
TEST(ExtractPass, NulInsideANameIsDamage) {
  PassRunner r;
  file(r.records, std::string("a.txt\0\\..\\..\\x", 14), "a");
  terminator(r.records);
  EXPECT_EQ(r.run(), 13u);
  EXPECT_TRUE(listing(r).empty());
}

}  // namespace
