// The resource edits of SFX files on small PE files made in the test.
#include <gtest/gtest.h>

#include "icon_file.h"
#include "pe_writer.h"
#include "peres_test_pe.h"
#include "resource_edits.h"
#include "resource_reader.h"

namespace tw::peres {
namespace {

using testing::data;
using testing::make_pe;
using testing::PeShape;
using testing::str;

ResName id(uint16_t n) { return ResName::number(n); }

Bytes with(const ResourceTree& tree, PeShape shape = PeShape{}) {
  Bytes out;
  EXPECT_TRUE(write_with_resources(make_pe(shape), tree, &out));
  return out;
}

ResourceTree tree_of(const Bytes& f) {
  ResourceTree t;
  EXPECT_TRUE(read_pe_resources(f, &t));
  return t;
}

// A version block: header, key, value, children, each padded to 4.
Bytes version_block(const std::u16string& key, const Bytes& value, const Bytes& children) {
  Bytes b(6, 0);
  for (char16_t c : key) append_u16(b, c);
  append_u16(b, 0);
  while (b.size() % 4) b.push_back(0);
  b.insert(b.end(), value.begin(), value.end());
  while (b.size() % 4) b.push_back(0);
  b.insert(b.end(), children.begin(), children.end());
  put_u16(b, 0, uint16_t(b.size()));
  put_u16(b, 2, uint16_t(value.size()));
  return b;
}

Bytes version_info(uint16_t language) {
  Bytes translation = {uint8_t(language), uint8_t(language >> 8), 0xB0, 0x04};
  Bytes strings = version_block(u"StringFileInfo", {}, version_block(u"040904B0", {}, {}));
  Bytes var = version_block(u"VarFileInfo", {}, version_block(u"Translation", translation, {}));
  strings.insert(strings.end(), var.begin(), var.end());
  return version_block(u"VS_VERSION_INFO", Bytes(52, 0xEE), strings);
}

// An icon file of n images; image i holds i + 1 bytes of 'a' + i.
Bytes icon_file(uint16_t n) {
  Bytes f = {0, 0, 1, 0, uint8_t(n), 0};
  uint32_t at = 6 + 16u * n;
  for (uint16_t i = 0; i < n; ++i) {
    Bytes e = {uint8_t(16 + i), uint8_t(16 + i), 0, 0, 1, 0, 32, 0};
    append_u32(e, i + 1u);
    append_u32(e, at);
    f.insert(f.end(), e.begin(), e.end());
    at += i + 1;
  }
  for (uint16_t i = 0; i < n; ++i) f.insert(f.end(), size_t(i + 1), uint8_t('a' + i));
  return f;
}

Bytes group_of(const std::vector<uint16_t>& ids) {
  Bytes g = {0, 0, 1, 0, uint8_t(ids.size()), 0};
  for (uint16_t i : ids) {
    g.insert(g.end(), 12, 0x11);
    append_u16(g, i);
  }
  return g;
}

// The stub's shape: "MAINICON" with images 1..3 in language 1029, and an
// unrelated image 9.
ResourceTree stub_like() {
  ResourceTree t;
  t[id(kRtGroupIcon)][str("MAINICON")][1029] = ResData{group_of({1, 2, 3}), 0};
  for (uint16_t i : {1, 2, 3}) t[id(kRtIcon)][id(i)][1029] = data("old");
  t[id(kRtIcon)][id(9)][0] = data("other");
  return t;
}

TEST(PeresEdits, IconFromAnIconFileReplacesTheFirstGroup) {
  for (uint16_t n : {0, 1, 3}) {
    for (uint16_t language : {0, 1042}) {
      ResourceTree start = stub_like();
      if (language) start[id(kRtVersion)][id(1)][0] = ResData{version_info(language), 0};
      Bytes target = with(start);
      ASSERT_TRUE(ReplaceIconFromIco(icon_file(n), &target)) << n;
      ResourceTree t = tree_of(target);
      IconFile icon;
      ASSERT_TRUE(parse_icon_file(icon_file(n), &icon));
      EXPECT_EQ(t[id(kRtGroupIcon)].size(), 1u);
      EXPECT_EQ(t[id(kRtGroupIcon)][str("MAINICON")][language].data, make_icon_group(icon));
      ASSERT_EQ(t[id(kRtIcon)].size(), n + 1u);  // the images and image 9
      for (uint16_t i = 0; i < n; ++i)
        EXPECT_EQ(t[id(kRtIcon)][id(i + 1)][language].data, Bytes(i + 1u, uint8_t('a' + i)));
      EXPECT_EQ(t[id(kRtIcon)][id(9)][0].data, data("other").data);
    }
  }
}

TEST(PeresEdits, FailedEditsLeaveTheTargetAsItWas) {
  Bytes target = with(stub_like());
  const Bytes before = target;
  Bytes no_icons = with(ResourceTree{});
  Bytes icon = icon_file(3);
  Bytes short_icon(icon.begin(), icon.end() - 1);
  Bytes damaged_source = with(stub_like());
  damaged_source.resize(damaged_source.size() - 10);
  EXPECT_FALSE(ReplaceIconFromIco(short_icon, &target));
  EXPECT_FALSE(ReplaceIconFromIco(Bytes{1, 2, 3}, &target));
  EXPECT_FALSE(CopyIconFromExecutable(no_icons, &target));
  EXPECT_FALSE(CopyIconFromExecutable(damaged_source, &target));
  EXPECT_FALSE(CopyIconFromExecutable(icon, &target));
  EXPECT_FALSE(CopyVersionInfo(no_icons, &target));
  EXPECT_EQ(target, before);
  Bytes not_pe = icon;
  EXPECT_FALSE(WriteResource(&not_pe, id(kRtManifest), id(1), Bytes{1}));
  EXPECT_EQ(not_pe, icon);
}

TEST(PeresEdits, IconFromAnExecutableInEveryLanguage) {
  ResourceTree source;
  source[id(kRtGroupIcon)][id(5)][1033] = ResData{group_of({7, 8}), 0};
  source[id(kRtGroupIcon)][id(5)][1031] = ResData{group_of({7}), 0};
  source[id(kRtGroupIcon)][id(6)][0] = ResData{group_of({9}), 0};
  source[id(kRtIcon)][id(7)][1033] = data("seven-en");
  source[id(kRtIcon)][id(7)][1031] = data("seven-de");
  source[id(kRtIcon)][id(8)][0] = data("eight");
  source[id(kRtIcon)][id(9)][0] = data("nine");
  for (bool plus : {false, true}) {
    for (bool target_has_icon : {true, false}) {
      Bytes target = with(target_has_icon ? stub_like() : ResourceTree{});
      ASSERT_TRUE(CopyIconFromExecutable(with(source, PeShape{plus}), &target));
      ResourceTree t = tree_of(target);
      ResName name = target_has_icon ? str("MAINICON") : id(5);
      EXPECT_EQ(t[id(kRtGroupIcon)].size(), 1u);
      EXPECT_EQ(t[id(kRtGroupIcon)][name], source[id(kRtGroupIcon)][id(5)]);
      EXPECT_EQ(t[id(kRtIcon)][id(7)], source[id(kRtIcon)][id(7)]);
      EXPECT_EQ(t[id(kRtIcon)][id(8)][1033].data, data("eight").data);
      EXPECT_EQ(t[id(kRtIcon)].count(id(1)), 0u);
    }
  }
}

TEST(PeresEdits, VersionInformationAndTheManifestLanguage) {
  ResourceTree source;
  source[id(kRtVersion)][id(1)][1042] = ResData{version_info(1042), 1200};
  Bytes target = with(stub_like());
  EXPECT_EQ(GetVersionLanguage(target), 0);
  ASSERT_TRUE(WriteResource(&target, id(kRtManifest), id(1), data("<old/>").data));
  ASSERT_TRUE(CopyVersionInfo(with(source), &target));
  EXPECT_EQ(GetVersionLanguage(target), 1042);
  ASSERT_TRUE(WriteResource(&target, id(kRtManifest), id(1), data("<new/>").data));
  ResourceTree t = tree_of(target);
  EXPECT_EQ(t[id(kRtVersion)], source[id(kRtVersion)]);
  ASSERT_EQ(t[id(kRtManifest)][id(1)].size(), 1u);  // the old one in language 0 went
  EXPECT_EQ(t[id(kRtManifest)][id(1)][1042].data, data("<new/>").data);
  // A damaged version block has no language.
  Bytes broken = version_info(1042);
  put_u16(broken, 0, 0xFFFF);
  source[id(kRtVersion)][id(1)][1042].data = broken;
  EXPECT_EQ(GetVersionLanguage(with(source)), 0);
}

}  // namespace
}  // namespace tw::peres
