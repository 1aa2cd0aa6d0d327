// Resource edits in the cases a build through the maker cannot reach (the
// e2e tests check the others with pefile): targets without an icon, with
// version information or a damaged group, damaged version data.
#include <gtest/gtest.h>

#include "pe_writer.h"
#include "peres_test_pe.h"
#include "resource_edits.h"
#include "resource_reader.h"

namespace tw::peres {
namespace {

using testing::data;
using testing::str;

ResName id(uint16_t n) { return ResName::number(n); }

Bytes with(const ResourceTree& tree) {
  Bytes out;
  EXPECT_TRUE(write_with_resources(testing::make_pe(testing::PeShape{}), tree, &out));
  return out;
}

ResourceTree tree_of(const Bytes& f) {
  ResourceTree t;
  EXPECT_TRUE(read_pe_resources(f, &t));
  return t;
}

// A version block (header, key, value, children, each padded to 4).
Bytes block(const std::u16string& key, const Bytes& value, const Bytes& children) {
  Bytes b(6, 0);
  for (char16_t c : key) append_u16(b, c);
  for (append_u16(b, 0); b.size() % 4;) b.push_back(0);
  for (b.insert(b.end(), value.begin(), value.end()); b.size() % 4;) b.push_back(0);
  b.insert(b.end(), children.begin(), children.end());
  put_u16(b, 0, uint16_t(b.size()));
  put_u16(b, 2, uint16_t(value.size()));
  return b;
}

Bytes version_info(uint16_t language) {
  Bytes var = block(u"VarFileInfo", {}, block(u"Translation", {uint8_t(language), uint8_t(language >> 8), 0xB0, 4}, {}));
  return block(u"VS_VERSION_INFO", Bytes(52, 0xEE), var);
}

const Bytes kOneImageIco = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 1, 0, 0, 0, 22, 0, 0, 0, 'I'};

TEST(PeresEdits, IconOfATargetWithoutOneOrWithVersionInformation) {
  ResourceTree source;
  source[id(kRtGroupIcon)][str("APP")][0] = ResData{{0, 0, 1, 0, 1, 0, 1, 1, 1, 1, 1, 0, 1, 0, 1, 0, 0, 0, 4, 0}, 0};
  source[id(kRtIcon)][id(4)][0] = data("four");
  Bytes bare = with(ResourceTree{});
  ASSERT_TRUE(ReplaceIconFromIco(kOneImageIco, &bare));
  EXPECT_EQ(tree_of(bare)[id(kRtGroupIcon)].begin()->first, id(1));
  bare = with(ResourceTree{});
  ASSERT_TRUE(CopyIconFromExecutable(with(source), &bare));
  EXPECT_EQ(tree_of(bare)[id(kRtGroupIcon)], source[id(kRtGroupIcon)]);

  ResourceTree versioned;
  versioned[id(kRtVersion)][id(1)][0] = ResData{version_info(1042), 0};
  Bytes target = with(versioned);
  EXPECT_EQ(GetVersionLanguage(target), 1042);
  ASSERT_TRUE(ReplaceIconFromIco(kOneImageIco, &target));
  ResourceTree t = tree_of(target);
  EXPECT_EQ(t[id(kRtGroupIcon)][id(1)].begin()->first, 1042);
  EXPECT_EQ(t[id(kRtIcon)][id(1)][1042].data, Bytes{'I'});
}

TEST(PeresEdits, DamagedTargetGroupOrVersionData) {
  ResourceTree damaged;
  damaged[id(kRtGroupIcon)][id(1)][0] = ResData{{0, 0, 1, 0, 9, 0}, 0};  // 9 entries, none there
  Bytes target = with(damaged);
  const Bytes before = target;
  EXPECT_FALSE(ReplaceIconFromIco(kOneImageIco, &target));
  EXPECT_EQ(target, before);
  // Two images that are each the whole icon file: damage, not copied twice.
  Bytes shared = {0, 0, 1, 0, 2, 0}, sound = with(ResourceTree{});
  for (int i = 0; i < 2; ++i) shared.insert(shared.end(), {1, 1, 0, 0, 1, 0, 32, 0, 38, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_FALSE(ReplaceIconFromIco(shared, &sound));
  shared[4] = 1;  // one of them is fine
  EXPECT_TRUE(ReplaceIconFromIco(shared, &sound));
  Bytes broken = version_info(1042);
  put_u16(broken, 0, 0xFFFF);  // longer than its data
  damaged[id(kRtVersion)][id(1)][0] = ResData{broken, 0};
  EXPECT_EQ(GetVersionLanguage(with(damaged)), 0);
}

// What an edit copies from a source adds up to no more than the source's
// size and 16 MiB; past that it fails before copying, the target untouched.
TEST(PeresEdits, SharedOrOversizedSourceDataIsRefused) {
  const uint32_t kOverCap = kMaxResourceGain + 1;
  std::vector<uint32_t> shared_300(300, 1);
  shared_300[0] = 64 << 10;
  Bytes big_ico = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 0, 0, 0, 0, 22, 0, 0, 0};
  put_u32(big_ico, 14, kOverCap);
  big_ico.resize(22 + kOverCap, 'i');
  struct Case {
    const char* what;
    Bytes source;
    uint16_t shared_type;  // its entries all point at icon image 1; 0: none
    Fault icon, version;
  } cases[] = {
      {"300 images of one 64 KiB blob", testing::icon_source(shared_300, 300, 0), kRtIcon,
       Fault::kLargerThanFile, Fault::kNoVersionInfo},
      {"2,000 version names on one 16 KiB image", testing::icon_source({16 << 10}, 1, 2000),
       kRtVersion, Fault::kNone, Fault::kLargerThanFile},
      {"a named image past the cap", testing::icon_source({kOverCap, 1}, 1, 0), 0, Fault::kOverCap,
       Fault::kNoVersionInfo},
      {"an image past the cap no group names", testing::icon_source({1, kOverCap}, 1, 0), 0,
       Fault::kNone, Fault::kNoVersionInfo},
      {"an icon file past the cap", big_ico, 0, Fault::kOverCap, Fault::kNotPe},
  };
  const Bytes stub = with(ResourceTree{});
  for (Case& c : cases) {
    if (c.shared_type) testing::share_icon_data(c.source, c.shared_type);
    bool ico = c.source[0] == 0;
    Bytes target = stub;
    Result icon =
        ico ? ReplaceIconFromIco(c.source, &target) : CopyIconFromExecutable(c.source, &target);
    Result version = CopyVersionInfo(c.source, &target);
    EXPECT_EQ(int(icon.fault()), int(c.icon)) << c.what;
    EXPECT_EQ(int(version.fault()), int(c.version)) << c.what;
    EXPECT_LE(target.size(), stub.size() + 0x5000) << c.what;  // 16 KiB gained at most
    if (!icon && !version) EXPECT_EQ(target, stub) << c.what;
  }
}

}  // namespace
}  // namespace tw::peres
