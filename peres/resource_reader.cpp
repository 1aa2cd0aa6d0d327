#include "resource_reader.h"

#include <algorithm>
#include <set>

namespace tw::peres {

namespace {

const uint32_t kHighBit = 0x80000000u;

class TreeReader {
 public:
  TreeReader(ByteView f, const PeImage& pe, uint32_t base, uint32_t limit,
             const std::vector<uint16_t>& types)
      : f_(f), pe_(pe), base_(base), limit_(limit), types_(types) {}

  bool read(ResourceTree* out) {
    ResourceTree tree;
    bool ok = read_directory(0, 0, [&](const ResName& type, uint32_t dir) {
      NameMap& names = tree[type];
      bool keep = types_.empty() ||
                  (type.is_id && std::count(types_.begin(), types_.end(), type.id));
      return read_directory(dir, 1, [&](const ResName& name, uint32_t dir2) {
        LanguageMap& langs = names[name];
        return read_directory(dir2, 2, [&](const ResName& lang, uint32_t entry) {
          if (!lang.is_id || langs.count(lang.id)) return false;
          return read_data(entry, &langs[lang.id], keep);
        });
      });
    });
    if (!ok) return false;
    if (!types_.empty())
      for (auto it = tree.begin(); it != tree.end();)
        it = it->first.is_id && std::count(types_.begin(), types_.end(), it->first.id)
                 ? std::next(it)
                 : tree.erase(it);
    *out = std::move(tree);
    return true;
  }

 private:
  bool fits(uint32_t offset, uint64_t size) const { return in_bounds(offset, size, limit_); }

  // Directory table (16 bytes): Characteristics, TimeDateStamp (4 each),
  // MajorVersion, MinorVersion, NumberOfNamedEntries, NumberOfIdEntries
  // (2 each); then the entries (8 bytes each): name (high bit set: offset of
  // a string, else an id in the low 16 bits) and target (high bit set:
  // offset of a subdirectory, else offset of a data entry). Offsets count
  // from the start of the resource directory. Levels 0 and 1 hold only
  // subdirectories, level 2 only data entries.
  template <typename Visit>
  bool read_directory(uint32_t dir, int level, Visit visit) {
    if (!visited_.insert(dir).second) return false;  // a loop or a shared table
    uint16_t named = 0, ids = 0;
    if (!fits(dir, 16) || !read_u16(f_, base_ + dir + 12, &named) ||
        !read_u16(f_, base_ + dir + 14, &ids))
      return false;
    uint32_t count = uint32_t(named) + ids;
    if (!fits(dir + 16, uint64_t(count) * 8)) return false;
    for (uint32_t i = 0; i < count; ++i) {
      uint32_t name_field = 0, target = 0;
      read_u32(f_, base_ + dir + 16 + 8 * i, &name_field);
      read_u32(f_, base_ + dir + 20 + 8 * i, &target);
      ResName name;
      if (name_field & kHighBit) {
        if (!read_string(name_field & ~kHighBit, &name)) return false;
      } else {
        if (name_field > 0xFFFF) return false;
        name = ResName::number(uint16_t(name_field));
      }
      bool subdirectory = (target & kHighBit) != 0;
      if (subdirectory != (level < 2)) return false;
      if (!visit(name, target & ~kHighBit)) return false;
    }
    return true;
  }

  // String: length in UTF-16 units (2 bytes), then the units, no NUL.
  bool read_string(uint32_t at, ResName* name) {
    uint16_t length = 0;
    if (!fits(at, 2) || !read_u16(f_, base_ + at, &length) || !fits(at + 2, 2ull * length))
      return false;
    name->is_id = false;
    name->text.resize(length);
    for (uint16_t i = 0; i < length; ++i) {
      uint16_t unit = 0;
      read_u16(f_, base_ + at + 2 + 2u * i, &unit);
      name->text[i] = char16_t(unit);
    }
    return true;
  }

  // Data entry (16 bytes): DataRVA, Size, CodePage, Reserved. The data may
  // lie anywhere in the file's sections.
  bool read_data(uint32_t entry, ResData* out, bool copy) {
    uint32_t rva = 0, size = 0, offset = 0;
    if (!fits(entry, 16)) return false;
    read_u32(f_, base_ + entry, &rva);
    read_u32(f_, base_ + entry + 4, &size);
    read_u32(f_, base_ + entry + 8, &out->codepage);
    if (size && !pe_.rva_to_offset(rva, size, &offset)) return false;
    if (copy) out->data.assign(f_.begin() + offset, f_.begin() + offset + size);
    return true;
  }

  ByteView f_;
  const PeImage& pe_;
  uint32_t base_;   // file offset of the resource directory
  uint32_t limit_;  // bytes from base_ to the end of its section's raw data
  const std::vector<uint16_t>& types_;
  std::set<uint32_t> visited_;
};

}  // namespace

bool read_resources(ByteView file, const PeImage& pe, ResourceTree* out,
                    const std::vector<uint16_t>& types) {
  DataDirectory dir = pe.directory(kDirResource);
  if (dir.address == 0 || dir.size == 0) {
    out->clear();
    return true;
  }
  uint32_t base = 0;
  int s = pe.section_of(dir.address);
  if (s < 0 || !pe.rva_to_offset(dir.address, 16, &base)) return false;
  const Section& sec = pe.sections[size_t(s)];
  uint32_t limit = sec.raw_offset + sec.raw_size - base;
  return TreeReader(file, pe, base, limit, types).read(out);
}

bool read_pe_resources(ByteView file, ResourceTree* out, const std::vector<uint16_t>& types) {
  PeImage pe;
  return parse_pe(file, &pe) && read_resources(file, pe, out, types);
}

}  // namespace tw::peres
