// Which file each resource edit of a build takes, in the cases the e2e
// tests do not build: run mode, and an icon file that fails; and what the
// build hears of each failed edit.
#include "stub_resources.h"

#include <gtest/gtest.h>

#include <map>

#include "build_error.h"
#include "pe_writer.h"
#include "peres_test_pe.h"
#include "resource_reader.h"

namespace tw {
namespace {

using namespace peres;

struct InMemory : EditSource {
  explicit InMemory(const Bytes& b) : b_(b) {}
  ByteView bytes() const override { return b_; }
  const Bytes& b_;
};

// A PE with icon group 7 (one image, 1 byte: tag) and version data `tag`.
Bytes pe_with(uint8_t tag) {
  ResourceTree t;
  t[ResName::number(kRtGroupIcon)][ResName::number(7)][0] =
      ResData{{0, 0, 1, 0, 1, 0, 1, 1, 1, 1, 1, 0, 1, 0, 1, 0, 0, 0, 5, 0}, 0};
  t[ResName::number(kRtIcon)][ResName::number(5)][0] = ResData{{tag}, 0};
  t[ResName::number(kRtVersion)][ResName::number(1)][0] = ResData{{tag}, 0};
  Bytes out;
  EXPECT_TRUE(write_with_resources(testing::make_pe(testing::PeShape{}), t, &out));
  return out;
}

TEST(StubResources, SourcesOfEachEditAndTheFailuresReported) {
  std::map<std::wstring, Bytes> files = {
      {L"C:\\src.dll", pe_with('S')}, {L"C:\\run.exe", pe_with('R')},
      {L"C:\\bare.dll", testing::make_pe({})}, {L"C:\\bad.ico", {0, 0, 1, 0, 1, 0}}};
  std::wstring failures;
  StubEdits edits;
  edits.report_failure = [&](const EditFailure& f) {
    const wchar_t* kEdits[] = {L"icon", L"version", L"manifest"};
    failures += kEdits[f.edit] + (L" " + f.source + L": ") +
                std::wstring(f.reason.begin(), f.reason.end()) + L";";
  };
  edits.open_source = [&](const std::wstring& path) -> std::unique_ptr<EditSource> {
    auto it = files.find(path);
    return it == files.end() ? nullptr : std::make_unique<InMemory>(it->second);
  };
  struct Case {
    const wchar_t* icon;
    bool iv;
    uint8_t icon_tag, version_tag;  // 0: none
    const wchar_t* failures;
  } cases[] = {
      {L"", true, 'R', 'R', L""},
      {L" C:\\src.dll ", false, 'S', 'R', L""},
      {L"C:\\src.dll", true, 'S', 'S', L""},
      // Neither edit falls back to the run file.
      {L"C:\\missing.ico", true, 0, 0,
       L"icon C:\\missing.ico: cannot read the file;"
       L"version C:\\missing.ico: cannot read the file;"},
      {L"C:\\bare.dll", true, 0, 0,
       L"icon C:\\bare.dll: no icon group;version C:\\bare.dll: no version information;"},
      {L"C:\\bad.ico", false, 0, 'R', L"icon C:\\bad.ico: truncated .ICO;"},
  };
  for (const Case& c : cases) {
    failures.clear();
    BuildOptions o;
    o.icon_file = c.icon;
    o.extraction_mode = kExtractAndRun;
    o.executable = L"C:\\run.exe";
    RunFlags flags;
    flags.copy_version_from_icon = c.iv;
    ResourceTree t;
    ASSERT_TRUE(read_pe_resources(edit_stub_resources(testing::make_pe({}), o, flags, edits), &t));
    auto only = [&](uint16_t type) {
      const NameMap* names = names_of(t, type);
      return names ? names->begin()->second.begin()->second.data : Bytes();
    };
    EXPECT_EQ(only(kRtIcon), c.icon_tag ? Bytes{c.icon_tag} : Bytes()) << int(&c - cases);
    EXPECT_EQ(only(kRtVersion), c.version_tag ? Bytes{c.version_tag} : Bytes()) << int(&c - cases);
    EXPECT_EQ(failures, c.failures);
  }
  BuildOptions uac;
  uac.uac_elevation = 2;
  failures.clear();
  EXPECT_THROW(edit_stub_resources(Bytes{'M', 'Z'}, uac, RunFlags(), edits), BuildError);
  EXPECT_EQ(failures, L"manifest : the stub cannot take the edit;");
}

}  // namespace
}  // namespace tw
