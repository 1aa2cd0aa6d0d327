// Truncated and bit-flipped copies of real PE files fed to the reader and
// the edits, built with AddressSanitizer: any over-read or crash fails.
// The files: one made here and the built stub (TW_FUZZ_PE names another).
#include <gtest/gtest.h>

#include <stdlib.h>

#include <fstream>
#include <iterator>
#include <random>

#include "pe_image.h"
#include "pe_writer.h"
#include "peres_test_pe.h"
#include "resource_edits.h"
#include "resource_reader.h"

namespace tw::peres {
namespace {

Bytes read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<Bytes> seeds() {
  ResourceTree t;
  t[ResName::number(kRtGroupIcon)][testing::str("MAINICON")][1029] =
      ResData{{0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 4, 0, 0, 0, 1, 0}, 0};
  t[ResName::number(kRtIcon)][ResName::number(1)][1029] = testing::data("icon");
  t[ResName::number(kRtVersion)][ResName::number(1)][0] = testing::data("version");
  std::vector<Bytes> files(1);
  EXPECT_TRUE(write_with_resources(testing::make_pe(testing::PeShape{true}), t, &files[0]));
  const char* named = getenv("TW_FUZZ_PE");
  for (const char* path : {named, TW_STUB_WIN32, TW_STUB_WIN64}) {
    if (!path) continue;
    Bytes f = read_file(path);
    if (!f.empty()) files.push_back(f);
  }
  return files;
}

void feed(const Bytes& mutant, const Bytes& good) {
  ResourceTree tree;
  read_pe_resources(mutant, &tree);
  GetVersionLanguage(mutant);
  Bytes target = good;
  CopyIconFromExecutable(mutant, &target);
  CopyVersionInfo(mutant, &target);
  ReplaceIconFromIco(mutant, &target);
  target = mutant;
  Bytes icon = {0, 0, 1, 0, 0, 0};
  if (ReplaceIconFromIco(icon, &target)) EXPECT_TRUE(read_pe_resources(target, &tree));
}

TEST(PeresFuzz, DamagedCopiesNeverCrash) {
  std::vector<Bytes> files = seeds();
  std::printf("fuzzing %zu file(s)\n", files.size());
  std::mt19937 random(8);
  for (const Bytes& good : files) {
    ResourceTree tree;
    ASSERT_TRUE(read_pe_resources(good, &tree));
    for (size_t cut = 0; cut < good.size(); cut += 1 + cut / 8) feed(Bytes(good.begin(), good.begin() + cut), good);
    for (int round = 0; round < 1500; ++round) {
      Bytes mutant = good;
      // Most flips land in the headers and the resource section, where the
      // reader looks.
      PeImage pe;
      parse_pe(good, &pe);
      const Section& res = pe.sections[size_t(pe.section_of(pe.directory(kDirResource).address))];
      for (int k = 0, n = 1 + int(random() % 4); k < n; ++k) {
        size_t at = random() % 2 ? random() % 0x400
                                 : res.raw_offset + random() % std::min<uint32_t>(res.raw_size, 0x800);
        mutant[at % mutant.size()] ^= uint8_t(1u << (random() % 8));
      }
      feed(mutant, good);
    }
  }
}

}  // namespace
}  // namespace tw::peres
