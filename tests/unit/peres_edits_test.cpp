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

}  // namespace
}  // namespace tw::peres
