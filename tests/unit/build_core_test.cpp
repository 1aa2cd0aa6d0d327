// The build core on the in-memory platform: scan order, names and code
// pages, refusals, the temporary target, its commit and the leftovers,
// failures that keep the previous target, and repeatable bytes.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>
#include <zlib.h>

#include "build_error.h"
#include "build_procedure.h"
#include "container_format.h"
#include "fake_platform.h"
#include "message_ids.h"
#include "payload_locator.h"
#include "peres_test_pe.h"
#include "text_encoding.h"

namespace {

using tw::EntryType;

struct Record {
  uint8_t kind;
  std::string name;
  uint32_t attributes;
  std::string data;
};

bool read_at(void* ctx, uint32_t offset, void* buf, uint32_t n) {
  const std::string& b = *static_cast<const std::string*>(ctx);
  if (uint64_t(offset) + n > b.size()) return false;
  memcpy(buf, b.data() + offset, n);
  return true;
}

// The records of an SFX file, data inflated; checksums compared.
std::vector<Record> records_of(std::string sfx) {
  size_t at = tw::locate_payload(read_at, &sfx) + tw::kHeaderSize;
  auto take = [&](size_t n) { return at += n, reinterpret_cast<const unsigned char*>(&sfx[at - n]); };
  std::vector<Record> out;
  for (;;) {
    tw::EntryHead h;
    tw::decode_entry_head(take(tw::kEntryHeadSize), &h);
    if (!h.name_length && !h.size && !h.dos_time && !h.attributes) return out;
    Record r{h.kind, std::string(reinterpret_cast<const char*>(take(h.name_length)), h.name_length),
             h.attributes, ""};
    while (!(h.attributes & 0x10) && r.data.size() < size_t(h.size)) {
      uint32_t n = tw::get_u32le(take(4)), c = tw::get_u32le(take(4));
      std::string raw(n, '\0');
      uLongf got = n;
      EXPECT_EQ(uncompress(reinterpret_cast<Bytef*>(&raw[0]), &got, take(c), c), Z_OK);
      r.data += raw;
    }
    uint32_t sum = 0;
    for (unsigned char ch : r.name + r.data) sum += ch;
    EXPECT_EQ(tw::get_u32le(take(4)), sum) << r.name;
    out.push_back(r);
  }
}

struct Recorder : tw::BuildMonitor {
  size_t cancel_after = SIZE_MAX, sources = 0;
  void show_labels(const std::wstring&, const std::wstring&) override {}
  void show_source(const std::wstring&) override { ++sources; }
  void progress(uint64_t, uint64_t, uint64_t, uint64_t) override {}
  bool cancelled() override { return sources >= cancel_after; }
  void finished(bool) override {}
  void edit_failed(const tw::EditFailure& f) override { failed.push_back(f); }
  std::vector<tw::EditFailure> failed;
};

class BuildCore : public ::testing::Test {
 protected:
  void SetUp() override {
    fs.add_folder(L"/src");
    fs.add_folder(L"/out");
    o.source_folder = L"/src";
    o.target_file = L"/out/t.exe";
    o.mode.run_id = "00C0FFEE00";
    carried.stub = {stub.data(), stub.size()};
    carried.self_delete = {reinterpret_cast<const unsigned char*>("MZ helper"), 9};
    carried.manifest = {reinterpret_cast<const unsigned char*>("<m/>"), 4};
  }
  tw::BuildResult build() { return tw::build_sfx(o, {}, carried, monitor, fs); }
  std::vector<std::string> names() {
    std::vector<std::string> n;
    for (const Record& r : records_of(fs.nodes[L"/out/t.exe"].data)) n.push_back(r.name);
    return n;
  }
  // The error a failing build throws.
  tw::BuildError failure() {
    try {
      build();
    } catch (const tw::BuildError& e) {
      return e;
    }
    ADD_FAILURE() << "the build did not fail";
    return tw::BuildError(0, L"");
  }

  FakePlatform fs;
  tw::peres::Bytes stub = tw::peres::testing::make_pe({});
  tw::CarriedResources carried;
  tw::BuildOptions o;
  Recorder monitor;
};

TEST_F(BuildCore, ScanOrderDepthFirstAsListedOrByNameIgnoringCase) {
  for (const wchar_t* name : {L"/src/b.txt", L"/src/alpha.txt", L"/src/_x", L"/src/Alpha/z.txt"})
    fs.add_file(name, "x");
  fs.add_folder(L"/src/Alpha");
  build();
  EXPECT_EQ(names(), (std::vector<std::string>{"b.txt", "alpha.txt", "_x", "Alpha", "Alpha\\z.txt"}));
  o.mode.order_by_name = true;  // '_' after the letters: upper-cased, then ordinal
  build();
  EXPECT_EQ(names(), (std::vector<std::string>{"Alpha", "Alpha\\z.txt", "alpha.txt", "b.txt", "_x"}));
}

TEST_F(BuildCore, NamesInTheChosenCodePage) {
  struct Case {
    uint32_t ansi, chosen;
    const wchar_t* name;
    uint32_t stored_in;
    std::string bytes;
  } cases[] = {
      {1252, 0, L"caf\u00e9", 1252, "caf\xe9"},
      {1252, 0, L"\ud55c\uae00", 65001, "\xed\x95\x9c\xea\xb8\x80"},  // does not fit: UTF-8
      {1252, 949, L"\ud55c\uae00", 949, "\xc7\xd1\xb1\xdb"},
      {949, 65001, L"caf\u00e9", 65001, "caf\xc3\xa9"},
  };
  for (const Case& c : cases) {
    fs.ansi = c.ansi;
    tw::FileItem item;
    item.name = c.name;
    tw::EncodedTexts t = tw::encode_texts(fs, {item}, o, c.chosen);
    EXPECT_EQ(t.codepage, c.stored_in) << c.chosen;
    EXPECT_EQ(t.names[0], c.bytes) << c.chosen;
  }
  // A chosen code page that cannot hold a name refuses it; a cut never
  // splits a double-byte character.
  o.mode.codepage = 1252;
  fs.add_file(L"/src/\ud55c\uae00", "");
  tw::BuildError e = failure();
  EXPECT_EQ(e.message_id(), tw::kMsgNameNotRepresentable);
  EXPECT_EQ(e.path(), L"/src/\ud55c\uae00");
  EXPECT_EQ(tw::encode_cut(fs, 949, L"ab\ud55c", 3), "ab");
}

TEST_F(BuildCore, RefusedSourcesWriteNothing) {
  struct Case {
    const wchar_t* name;
    EntryType type;
    unsigned message;
  } cases[] = {{L"l", EntryType::kLink, tw::kMsgLinkInSource},
               {L"fifo", EntryType::kOther, tw::kMsgSpecialFileInSource},
               {L"bad\ufffd", EntryType::kBadName, tw::kMsgNameNotRepresentable},
               {L"a\\b", EntryType::kFile, tw::kMsgNameNotRepresentable}};
  fs.add_file(L"/out/t.exe", "old");
  for (const Case& c : cases) {
    fs.add(std::wstring(L"/src/sub/") + c.name, c.type);
    fs.add_folder(L"/src/sub");
    tw::BuildError e = failure();
    EXPECT_EQ(e.message_id(), c.message);
    EXPECT_EQ(e.path(), std::wstring(L"/src/sub/") + c.name);
    EXPECT_EQ(fs.files_in(L"/out"), (std::map<std::wstring, std::string>{{L"/out/t.exe", "old"}}));
    fs.nodes.erase(std::wstring(L"/src/sub/") + c.name);
  }
}

TEST_F(BuildCore, NamesWindowsCannotHoldAreAllListedInTheConsoleMode) {
  for (const wchar_t* name : {L"xt_MARK.h", L"xt_mark.h", L"aux.c", L"CON", L"com1.txt", L"name.",
                              L"blank ", L"a:b", L"tab\t", L"fine.txt", L"com10.txt", L"cons"})
    fs.add_file(std::wstring(L"/src/d/") + name, "");
  fs.add_folder(L"/src/d");
  EXPECT_TRUE(build().completed);  // the window maker's mode takes them
  o.mode.windows_names_only = true;
  fs.nodes.erase(L"/out/t.exe");
  tw::BuildError e = failure();
  EXPECT_EQ(e.message_id(), tw::kMsgNamesWindowsCannotHold);
  EXPECT_EQ(e.path(),
            L"/src/d/xt_mark.h\r\n/src/d/xt_MARK.h\r\n/src/d/tab\t\r\n/src/d/name.\r\n"
            L"/src/d/com1.txt\r\n/src/d/blank \r\n/src/d/aux.c\r\n/src/d/a:b\r\n/src/d/CON");
  EXPECT_EQ(fs.files_in(L"/out").size(), 0u);
}

TEST_F(BuildCore, TemporaryTargetCommitAndLeftovers) {
  fs.add_file(L"/out/t.exe", "old");
  fs.add_file(L"/out/t.exe.~tw11111111.tmp", "killed build");
  fs.add(L"/out/t.exe.~tw22222222.tmp", EntryType::kLink);
  fs.add_file(L"/out/t.exe.~tw33333333.tmp", "in use").in_use = true;
  // Read-only, and under the first name a build tries: it tries the next.
  fs.add_file(L"/out/t.exe.~tw0BADF00D.tmp", "ro").attributes |= tw::kFileReadOnly;
  fs.add_file(L"/out/t.exe.~tw1.tmp", "not of that form");
  tw::BuildResult r = build();
  EXPECT_TRUE(r.completed && r.target_existed);
  std::map<std::wstring, std::string> left = fs.files_in(L"/out");
  EXPECT_EQ(left.size(), 5u);
  EXPECT_EQ(left.count(L"/out/t.exe.~tw11111111.tmp"), 0u);
  EXPECT_EQ(left[L"/out/t.exe"].compare(0, 2, "MZ"), 0);
}

// A failed edit is heard of, and the build goes on.
TEST_F(BuildCore, FailedIconEditReachesTheMonitor) {
  fs.add_file(L"/src/a.txt", "a");
  fs.add_file(L"/bad.ico", std::string("\0\0\1\0\1\0", 6));
  o.icon_file = L"/bad.ico";
  EXPECT_TRUE(build().completed);
  ASSERT_EQ(monitor.failed.size(), 1u);
  EXPECT_EQ(monitor.failed[0].edit, tw::EditFailure::kIcon);
  EXPECT_EQ(monitor.failed[0].source, L"/bad.ico");
  EXPECT_EQ(monitor.failed[0].reason, "truncated .ICO");
}

TEST_F(BuildCore, FailuresAndCancelKeepThePreviousTarget) {
  fs.add_file(L"/src/a.txt", "alpha");
  fs.add_file(L"/src/b.dat", std::string(100000, 'b'));
  struct Case {
    void (*arrange)(FakePlatform&);
    unsigned message;
    const wchar_t* path;
    uint32_t code;
  } cases[] = {
      {[](FakePlatform& f) { f.nodes[L"/src/b.dat"].open_error = 32; }, tw::kMsgOpenFailed, L"/src/b.dat", 32},
      {[](FakePlatform& f) { f.nodes[L"/src/b.dat"].read_error = 23; }, tw::kMsgReadFailed, L"/src/b.dat", 23},
      {[](FakePlatform& f) { f.nodes[L"/src"].open_error = 5; }, tw::kMsgScanFailed, L"/src/", 5},
      {[](FakePlatform& f) { f.space = 100; }, tw::kMsgWriteFailed, L"/out/t.exe", 112},
      {[](FakePlatform& f) { f.rename_error = 32; }, tw::kMsgCreateFailed, L"/out/t.exe", 32},
      {[](FakePlatform& f) { f.nodes[L"/out/t.exe"].attributes = 0x21; }, tw::kMsgCreateFailed, L"/out/t.exe", 5},
  };
  for (const Case& c : cases) {
    FakePlatform saved = fs;
    fs.add_file(L"/out/t.exe", "old");
    c.arrange(fs);
    tw::BuildError e = failure();
    EXPECT_EQ(e.message_id(), c.message);
    EXPECT_EQ(e.path(), c.path);
    EXPECT_EQ(e.system_error(), c.code);
    EXPECT_EQ(fs.files_in(L"/out"), (std::map<std::wstring, std::string>{{L"/out/t.exe", "old"}}));
    fs = saved;
  }
  fs.add_file(L"/out/t.exe", "old");
  monitor.cancel_after = 1;
  EXPECT_FALSE(build().completed);
  EXPECT_EQ(fs.files_in(L"/out"), (std::map<std::wstring, std::string>{{L"/out/t.exe", "old"}}));
}

TEST_F(BuildCore, PreviousTargetFoundByIdentityAndNotTheFileToRun) {
  fs.add_file(L"/src/a.txt", "alpha");
  fs.add_file(L"/out/t.exe", "old");
  fs.nodes[L"/src/other spelling.exe"] = fs.nodes[L"/out/t.exe"];  // same file
  o.extraction_mode = tw::kExtractAndRun;
  o.executable = L"/src/other spelling.exe";
  EXPECT_EQ(failure().message_id(), tw::kMsgTargetIsRunFile);
  o.extraction_mode = tw::kExtractOnly;
  build();
  EXPECT_EQ(names(), std::vector<std::string>{"a.txt"});
}

TEST_F(BuildCore, SameRunIdAndTreeGiveTheSameBytesOnAnyThreadCount) {
  fs.add_file(L"/src/big.bin", std::string(tw::kChunkRawMax + 5000, 'q'));
  fs.add_file(L"/src/small.txt", "small");
  o.self_delete = true;
  std::string first;
  for (const char* threads : {"1", "4"}) {
    setenv("TARNWICK_THREADS", threads, 1);
    build();
    if (first.empty()) first = fs.nodes[L"/out/t.exe"].data;
    EXPECT_TRUE(fs.nodes[L"/out/t.exe"].data == first) << threads;
  }
  unsetenv("TARNWICK_THREADS");
  std::vector<Record> r = records_of(first);
  ASSERT_EQ(r.size(), 3u);
  EXPECT_EQ(r[0].kind, tw::kKindHelper);
  EXPECT_EQ(r[2].data, std::string(tw::kChunkRawMax + 5000, 'q'));
  size_t header = tw::locate_payload(read_at, &first);
  EXPECT_EQ(first.substr(header + tw::kOffRunId, 11), std::string("00C0FFEE00", 11));
}

}  // namespace
