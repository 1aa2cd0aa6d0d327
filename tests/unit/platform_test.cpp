// The platform layer's portable parts, and the POSIX platform under the
// build core: a Linux folder packed and read back whole by the tests' own
// reader (tests/e2e/sfxreader.py).
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>

#include "build_error.h"
#include "build_procedure.h"
#include "dos_time.h"
#include "message_ids.h"
#include "peres_test_pe.h"
#include "run_id.h"
#include "utf8.h"

namespace {

TEST(DosTime, RangeAndRoundingAsWindowsPacksThem) {
  struct Case {
    int64_t local;
    uint32_t dos;
  } cases[] = {
      {315532800, 0x00210000},          // 1980-01-01 00:00:00
      {315532799, 0},                   // a second earlier: no DOS form
      {1583012747, 0x505DADB7},         // 2020-02-29 21:45:47, odd second down
      {4354819199, 0xFF9FBF7D},         // 2107-12-31 23:59:59
      {4354819200, 0},                  // 2108
      {-1, 0},
  };
  for (const Case& c : cases) EXPECT_EQ(tw::dos_time_from_local(c.local), c.dos) << c.local;
}

TEST(Utf8, StrictBothWays) {
  std::string bytes;
  std::wstring wide;
  ASSERT_TRUE(tw::utf8_to_wide("a\xc3\xa9\xed\x95\x9c\xf0\x9f\x98\x80", &wide));
  ASSERT_TRUE(tw::wide_to_utf8(wide, &bytes));
  EXPECT_EQ(bytes, "a\xc3\xa9\xed\x95\x9c\xf0\x9f\x98\x80");
  for (const char* bad : {"\x80", "\xc3", "\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "a\xff"})
    EXPECT_FALSE(tw::utf8_to_wide(bad, &wide)) << bad;
  EXPECT_FALSE(tw::wide_to_utf8(std::wstring(1, wchar_t(0xD800)), &bytes));
}

TEST(RunId, GivenOrFromSourceDateEpoch) {
  EXPECT_EQ(tw::run_id_from_source_date_epoch("1700000000"), "006553F100");
  EXPECT_EQ(tw::run_id_from_source_date_epoch("2147483648"), "0000000001");  // % 2147483647
  for (const char* bad : {"", "12a", "-5", "99999999999999999999999"})
    EXPECT_EQ(tw::run_id_from_source_date_epoch(bad), "") << bad;
  EXPECT_TRUE(tw::is_run_id_text("00C0FFEE00"));
  for (const char* bad : {"00c0ffee00", "00C0FFEE0", "00C0FFEE00A", "00C0FFEG00"})
    EXPECT_FALSE(tw::is_run_id_text(bad)) << bad;
}

struct Quiet : tw::BuildMonitor {
  void show_labels(const std::wstring&, const std::wstring&) override {}
  void show_source(const std::wstring&) override {}
  void progress(uint64_t, uint64_t, uint64_t, uint64_t) override {}
  bool cancelled() override { return false; }
  void finished(bool) override {}
};

std::wstring wide(const std::string& s) {
  std::wstring w;
  tw::utf8_to_wide(s, &w);
  return w;
}

void write(const std::string& path, const std::string& data) { std::ofstream(path) << data; }

TEST(PosixPlatform, LinuxFolderReadBackWholeAndLinksRefused) {
  setenv("TZ", "UTC", 1);
  tzset();
  char root_template[] = "/tmp/tw-posix-XXXXXX";
  std::string root = mkdtemp(root_template), src = root + "/src", target = root + "/out/t.exe";
  for (const char* folder : {"", "/empty", "/\xec\x9e\x90\xeb\xa3\x8c", "/Sub"})
    mkdir((src + folder).c_str(), 0755);
  write(src + "/readme.txt", "read me");
  write(src + "/.hidden", "h");
  write(src + "/ro.txt", "read only");
  chmod((src + "/ro.txt").c_str(), 0444);
  write(src + "/\xec\x9e\x90\xeb\xa3\x8c/\xec\x84\xa4\xeb\xaa\x85.txt", "\xed\x95\x9c");
  write(src + "/Sub/big.bin", std::string(9437184 + 3, 'z'));

  tw::peres::Bytes stub = tw::peres::testing::make_pe({});
  tw::CarriedResources carried;
  carried.stub = {stub.data(), stub.size()};
  tw::BuildOptions o;
  o.source_folder = wide(src);
  o.target_file = wide(target);
  o.mode.order_by_name = true;
  o.mode.windows_names_only = true;
  Quiet quiet;
  EXPECT_TRUE(tw::build_sfx(o, {}, carried, quiet, tw::system_platform()).completed);
  std::string check = "cd " TW_E2E_DIR " && " TW_PYTHON
                      " -c 'import sfxreader as s; s.compare_with_source(s.read_sfx(\"" +
                      target + "\"), \"" + src + "\", codepage=\"utf-8\")'";
  EXPECT_EQ(system(check.c_str()), 0) << check;

  // Never followed out of the source, and nothing is written.
  symlink("/etc/passwd", (src + "/Sub/link").c_str());
  unlink(target.c_str());
  try {
    tw::build_sfx(o, {}, carried, quiet, tw::system_platform());
    ADD_FAILURE() << "a link was packed";
  } catch (const tw::BuildError& e) {
    EXPECT_EQ(e.message_id(), tw::kMsgLinkInSource);
    EXPECT_EQ(e.path(), wide(src + "/Sub/link"));
  }
  EXPECT_EQ(rmdir((root + "/out").c_str()), 0);  // empty
  system(("rm -rf " + root).c_str());
}

}  // namespace
