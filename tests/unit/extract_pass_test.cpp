#include <gtest/gtest.h>

#include <map>

#include "../support/pass_runner.h"
#include "../support/sfx_builder.h"

namespace {

using sfxb::file;
using sfxb::folder;
using sfxb::terminator;

// Every path of the fake with its content and attributes.
std::map<std::wstring, std::pair<std::string, uint32_t>> snapshot(const FakeFileSystem& fs) {
  std::map<std::wstring, std::pair<std::string, uint32_t>> out;
  for (auto& n : fs.nodes) out[n.first] = {n.second.data, n.second.attributes};
  return out;
}

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
  file(r.records, "b.bin", std::string(3000, 'b'), 0, 0x20, sfxb::kNoBend, 1000);  // three chunks
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

// A full disk at the last file: 112 for it, and no cut or temporary file;
// the files before it are in place (an existing one it was to replace
// keeps its content).
TEST(ExtractPass, FullDiskAtTheLastFile) {
  for (bool existing : {false, true}) {
    PassRunner r;
    if (existing) r.fs.add_file(L"C:\\out\\big.bin", "old content");
    folder(r.records, "d");
    file(r.records, "d\\made.txt", "in a new folder");
    file(r.records, "small.txt", "fits");
    file(r.records, "big.bin", std::string(5000, 'x'));
    terminator(r.records);
    r.fs.space = 1000;
    EXPECT_EQ(r.run(), 112u);
    EXPECT_EQ(std::wstring(r.fail_path), L"C:\\out\\big.bin");
    EXPECT_EQ(r.data(L"C:\\out\\small.txt"), "fits");
    EXPECT_EQ(r.data(L"C:\\out\\d\\made.txt"), "in a new folder");
    EXPECT_EQ(r.data(L"C:\\out\\big.bin"), existing ? "old content" : "<none>");
    EXPECT_EQ(listing(r).size(), existing ? 4u : 3u);  // no temporary file either
    EXPECT_EQ(r.fs.open_files, 0);
  }
}

// An existing read-only file is replaced (its successor takes the record's
// attributes) only once all is checked; a refused replacement keeps it and
// its attributes.
TEST(ExtractPass, ReplacesAnExistingFileOnlyWhenComplete) {
  PassRunner r;
  r.fs.add_file(L"C:\\out\\a.txt", "old");
  r.fs.nodes[L"C:\\out\\a.txt"].attributes = 0x01;  // read-only
  file(r.records, "a.txt", "new", 0, 0x22);
  terminator(r.records);
  r.fs.refuse_rename = true;
  EXPECT_EQ(r.run(), 5u);
  EXPECT_EQ(listing(r), std::vector<std::wstring>{L"a.txt"});
  EXPECT_EQ(r.data(L"C:\\out\\a.txt"), "old");
  EXPECT_EQ(r.fs.nodes[L"C:\\out\\a.txt"].attributes, 0x01u);
  r.fs.refuse_rename = false;
  EXPECT_EQ(r.run(), 0u);
  EXPECT_EQ(r.data(L"C:\\out\\a.txt"), "new");
  EXPECT_EQ(r.fs.nodes[L"C:\\out\\a.txt"].attributes, 0x22u);
  EXPECT_EQ(r.extracted.count(), 0u);  // it was there before: run mode keeps it
}

// Damage in the first or the last chunk of the last file, after a new
// folder, files in it and beside the old ones, a replacement, and perhaps a
// full disk: everything is as it was before the run.
TEST(ExtractPass, DamageLeavesNothingOfTheRun) {
  for (int bend : {0, -1}) {
    for (bool full_disk : {false, true}) {
      PassRunner r;
      r.fs.add_file(L"C:\\out\\keep.txt", "mine");
      r.fs.add_file(L"C:\\out\\a.txt", "old a");
      folder(r.records, "d", 0x12);
      file(r.records, "d\\first.txt", "first", 0, 0x01);
      file(r.records, "a.txt", "new a");
      file(r.records, "new.txt", "new");
      file(r.records, "last.bin", std::string(4000, 'z'), 0, 0x20, bend, 1000);
      terminator(r.records);
      if (full_disk) r.fs.space = 12;
      auto before = snapshot(r.fs);
      EXPECT_EQ(r.run(), 23u) << bend << full_disk;
      EXPECT_EQ(r.fail_path, nullptr);  // the SFX file is named
      EXPECT_EQ(snapshot(r.fs), before) << bend << full_disk;
      EXPECT_EQ(r.created.count() + r.extracted.count(), 0u);
    }
  }
}

// While the data goes, a folder the run did not create shows no file of it
// under its final name; the run's own folder shows them as they come.
TEST(ExtractPass, OnlyTheRunsOwnFoldersSeeFilesBeforeTheEnd) {
  PassRunner r;
  folder(r.records, "d");
  file(r.records, "d\\early.txt", std::string(2000, 'e'));
  file(r.records, "top.txt", std::string(2000, 't'));
  file(r.records, "d\\late.txt", std::string(2000, 'l'));
  terminator(r.records);
  bool top_seen = false, early_seen = false;
  r.during = [&] {
    top_seen |= r.has(L"C:\\out\\top.txt");
    early_seen |= r.has(L"C:\\out\\d\\early.txt");
  };
  ASSERT_EQ(r.run(), 0u);
  EXPECT_FALSE(top_seen);
  EXPECT_TRUE(early_seen);
  EXPECT_EQ(listing(r), (std::vector<std::wstring>{L"d/", L"d\\early.txt", L"d\\late.txt", L"top.txt"}));
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

// The records reach the writing half through the ring of slots just as
// they do straight: every file, code, failure path and question the same,
// with data split over slots, many records in one slot, damage, a full
// disk, stored data and refused replacements.
TEST(ExtractPass, RingOfSlotsChangesNothing) {
  std::string noise(400000, 0);
  uint32_t seed = 1;
  for (char& c : noise) c = char((seed = seed * 1103515245u + 12345u) >> 24);
  struct Case {
    const char* what;
    int bend;
    uint64_t space;
    bool compressed;
    uint8_t mode;
  } cases[] = {{"sound", sfxb::kNoBend, 1ull << 40, true, 1},  {"damaged", -1, 1ull << 40, true, 1},
               {"full disk", sfxb::kNoBend, 300000, true, 1}, {"stored", sfxb::kNoBend, 1ull << 40, false, 1},
               {"asked, no", sfxb::kNoBend, 1ull << 40, true, 0}};
  for (const Case& c : cases) {
    std::vector<PassRunner> runs(3);
    uint32_t codes[3];
    std::wstring failed[3];  // (the pass's storage is shared by the runs)
    for (uint32_t slots = 0; slots < 3; ++slots) {
      PassRunner& r = runs[slots];
      r.queue_slots = slots ? slots + 1 : 0;
      r.answer = false;
      r.fs.space = c.space;
      r.fs.add_file(L"C:\\out\\f7.txt", "old");
      for (int i = 0; i < 300; ++i) {
        std::string dir = "d" + std::to_string(i % 40);
        if (i < 40) folder(r.records, dir);
        std::string name = dir + "\\f" + std::to_string(i) + ".txt";
        if (!c.compressed) {
          sfxb::head(r.records, 0, name, uint32_t(i), 0x20);
          r.records.insert(r.records.end(), noise.begin(), noise.begin() + i);
          sfxb::put32(r.records, sfxb::sum(noise.substr(0, size_t(i)), sfxb::sum(name)));
        } else {
          file(r.records, name, noise.substr(size_t(i), size_t(i) * 7));
        }
      }
      file(r.records, "f7.txt", "new");
      if (c.compressed) file(r.records, "big.bin", noise, 1, 0x21, c.bend, 100000);
      terminator(r.records);
      codes[slots] = r.run(c.mode, false, c.compressed);
      failed[slots] = r.fail_path ? r.fail_path : L"-";
    }
    for (uint32_t k = 1; k < 3; ++k) {
      PassRunner &a = runs[0], &b = runs[k];
      EXPECT_EQ(codes[k], codes[0]) << c.what;
      EXPECT_EQ(failed[k], failed[0]);
      EXPECT_TRUE(snapshot(b.fs) == snapshot(a.fs)) << c.what;
      EXPECT_EQ(b.run_path, a.run_path);
      EXPECT_EQ(b.asked, a.asked);
      EXPECT_EQ(b.extracted.count(), a.extracted.count());
      EXPECT_EQ(b.created.count(), a.created.count());
      EXPECT_EQ(b.fs.open_files, 0);
    }
  }
}

}  // namespace
