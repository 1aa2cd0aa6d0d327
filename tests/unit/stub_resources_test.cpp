// Which resource edits a build makes, and from which file.
#include "stub_resources.h"

#include <gtest/gtest.h>

#include <map>

#include "pe_writer.h"
#include "peres_test_pe.h"
#include "resource_reader.h"

namespace tw {
namespace {

using namespace peres;
using testing::data;
using testing::str;

ResName id(uint16_t n) { return ResName::number(n); }

// A PE whose icon group 7 holds one image tagged `tag`, with version
// information when `version` is not empty.
Bytes pe_with(char tag, const std::string& version) {
  ResourceTree t;
  t[id(kRtGroupIcon)][id(7)][0] = ResData{{0, 0, 1, 0, 1, 0, 1, 1, 1, 1, 1, 0, 1, 0, 1, 0, 0, 0, 5, 0}, 0};
  t[id(kRtIcon)][id(5)][0] = data(std::string(1, tag));
  if (!version.empty()) t[id(kRtVersion)][id(1)][0] = data(version);
  Bytes out;
  EXPECT_TRUE(write_with_resources(testing::make_pe(testing::PeShape{}), t, &out));
  return out;
}

TEST(StubResources, EditsFollowTheOptions) {
  ResourceTree stub_tree;
  stub_tree[id(kRtGroupIcon)][str("MAINICON")][1029] = ResData{{0, 0, 1, 0, 0, 0}, 0};
  stub_tree[id(kRtManifest)][id(1)][0] = data("asInvoker");
  Bytes stub;
  ASSERT_TRUE(write_with_resources(testing::make_pe(testing::PeShape{}), stub_tree, &stub));
  Bytes ico = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 1, 0, 0, 0, 22, 0, 0, 0, 'I'};
  std::map<std::wstring, Bytes> files = {
      {L"C:\\i.ico", ico}, {L"C:\\src.dll", pe_with('S', "src-version")},
      {L"C:\\run.exe", pe_with('R', "run-version")}};
  StubEdits edits;
  edits.manifest_template = "level=\"requireAdministrator\" requireAdministrator";
  edits.codepage = 949;
  struct InMemory : EditSource {
    explicit InMemory(const Bytes& b) : b_(b) {}
    ByteView bytes() const override { return b_; }
    const Bytes& b_;
  };
  edits.open_source = [&](const std::wstring& path) -> std::unique_ptr<EditSource> {
    auto it = files.find(path);
    if (it == files.end()) return nullptr;
    return std::make_unique<InMemory>(it->second);
  };
  struct Case {
    const wchar_t* icon;
    uint8_t mode;
    bool iv;
    uint8_t uac;
    char icon_tag;  // of the image in the SFX file; 0 for the stub's empty group
    const char* version;
    const char* manifest;
  } cases[] = {
      {L"", 0, false, 0, 0, nullptr, "asInvoker"},
      {L" C:\\i.ico ", 0, true, 1, 'I', nullptr,
       "level=\"highestAvailable\" requireAdministrator"},
      {L"C:\\src.dll", 0, false, 2, 'S', nullptr,
       "level=\"requireAdministrator\" requireAdministrator"},
      {L"C:\\src.dll", 1, true, 0, 'S', "src-version", "asInvoker"},
      {L"C:\\src.dll", 1, false, 0, 'S', "run-version", "asInvoker"},
      {L"", 1, true, 0, 'R', "run-version", "asInvoker"},
      {L"C:\\missing.ico", 1, true, 0, 0, nullptr, "asInvoker"},  // no fallback to the run file
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(int(&c - cases));
    BuildOptions o;
    o.icon_file = c.icon;
    o.extraction_mode = c.mode;
    o.executable = L"C:\\run.exe";
    o.uac_elevation = c.uac;
    RunFlags flags;
    flags.copy_version_from_icon = c.iv;
    ResourceTree t;
    ASSERT_TRUE(read_pe_resources(edit_stub_resources(stub, o, flags, edits), &t));
    const LanguageMap& group = t[id(kRtGroupIcon)][str("MAINICON")];
    ASSERT_EQ(group.size(), 1u);
    if (c.icon_tag)
      EXPECT_EQ(t[id(kRtIcon)].begin()->second.begin()->second.data, Bytes{uint8_t(c.icon_tag)});
    else
      EXPECT_EQ(group.begin()->first, 1029);
    EXPECT_EQ(t.count(id(kRtVersion)) ? t[id(kRtVersion)][id(1)][0].data : Bytes(),
              c.version ? data(c.version).data : Bytes());
    ASSERT_EQ(t[id(kRtManifest)][id(1)].size(), 1u);
    EXPECT_EQ(t[id(kRtManifest)][id(1)].begin()->second.data, data(c.manifest).data);
    EXPECT_EQ(t[id(kRtRcData)][str("CODEPAGE")][0].data, (Bytes{0xB5, 0x03, 0, 0}));
  }
}

}  // namespace
}  // namespace tw
