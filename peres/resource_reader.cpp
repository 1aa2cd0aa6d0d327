#include "resource_reader.h"

#include <algorithm>
#include <set>

namespace tw::peres {

namespace {

const uint32_t kHighBit = 0x80000000u;

class TreeReader {
 public:
  TreeReader(ByteView f, const PeImage& pe, uint32_t base, uint32_t limit, const ReadScope& scope,
             CopyBudget& budget)
      : f_(f), pe_(pe), base_(base), limit_(limit), scope_(scope), budget_(budget) {}

  Result read(ResourceTree* out) {
    ResourceTree tree;
    bool ok = read_directory(0, 0, scope_.types.empty(), [&](const ResName& type, uint32_t dir) {
      NameMap* names = kept_type(type) ? &tree[type] : nullptr;
      bool all_names = names && !scope_.ids;
      return read_directory(dir, 1, all_names, [&](const ResName& name, uint32_t dir2) {
        bool keep = all_names || (names && name.is_id && scope_.ids(type.id, name.id));
        LanguageMap seen;  // languages of a name that is only checked
        LanguageMap& langs = keep ? (*names)[name] : seen;
        return read_directory(dir2, 2, false, [&](const ResName& lang, uint32_t entry) {
          if (!lang.is_id || langs.count(lang.id)) return false;
          return read_data(entry, &langs[lang.id], keep);
        });
      });
    });
    if (fault_ != Fault::kNone) return fault_;
    if (!ok) return Fault::kDamaged;
    *out = std::move(tree);
    return Fault::kNone;
  }

 private:
  bool fits(uint32_t offset, uint64_t size) const { return in_bounds(offset, size, limit_); }

  bool kept_type(const ResName& type) const {
    return scope_.types.empty() ||
           (type.is_id && std::count(scope_.types.begin(), scope_.types.end(), type.id));
  }

  // Charges n bytes to the budget; false (and the fault kept) past it.
  bool spend(uint64_t n) {
    if (fault_ == Fault::kNone) fault_ = budget_.spend(n);
    return fault_ == Fault::kNone;
  }

  // Directory table (16 bytes): Characteristics, TimeDateStamp (4 each),
  // MajorVersion, MinorVersion, NumberOfNamedEntries, NumberOfIdEntries
  // (2 each); then the entries (8 bytes each): name (high bit set: offset of
  // a string, else an id in the low 16 bits) and target (high bit set:
  // offset of a subdirectory, else offset of a data entry). Offsets count
  // from the start of the resource directory. Levels 0 and 1 hold only
  // subdirectories, level 2 only data entries.
  // The names of entries that are not kept are checked, not copied.
  template <typename Visit>
  bool read_directory(uint32_t dir, int level, bool copy_names, Visit visit) {
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
        if (!read_string(name_field & ~kHighBit, &name, copy_names)) return false;
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
  bool read_string(uint32_t at, ResName* name, bool copy) {
    uint16_t length = 0;
    if (!fits(at, 2) || !read_u16(f_, base_ + at, &length) || !fits(at + 2, 2ull * length))
      return false;
    name->is_id = false;
    if (!copy) return true;
    if (!spend(2 + 2ull * length)) return false;
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
    if (!copy) return true;
    if (!spend(uint64_t(size) + 24)) return false;
    out->data.assign(f_.begin() + offset, f_.begin() + offset + size);
    return true;
  }

  ByteView f_;
  const PeImage& pe_;
  uint32_t base_;   // file offset of the resource directory
  uint32_t limit_;  // bytes from base_ to the end of its section's raw data
  const ReadScope& scope_;
  CopyBudget& budget_;
  Fault fault_ = Fault::kNone;  // of the budget
  std::set<uint32_t> visited_;
};

}  // namespace

Result read_resources(ByteView file, const PeImage& pe, ResourceTree* out, const ReadScope& scope,
                      CopyBudget* budget) {
  DataDirectory dir = pe.directory(kDirResource);
  if (dir.address == 0 || dir.size == 0) {
    out->clear();
    return Fault::kNone;
  }
  uint32_t base = 0;
  int s = pe.section_of(dir.address);
  if (s < 0 || !pe.rva_to_offset(dir.address, 16, &base)) return Fault::kDamaged;
  const Section& sec = pe.sections[size_t(s)];
  uint32_t limit = sec.raw_offset + sec.raw_size - base;
  CopyBudget file_size(file.size());
  return TreeReader(file, pe, base, limit, scope, budget ? *budget : file_size).read(out);
}

Result read_pe_resources(ByteView file, ResourceTree* out, const ReadScope& scope,
                         CopyBudget* budget) {
  PeImage pe;
  if (!parse_pe(file, &pe)) return Fault::kNotPe;
  return read_resources(file, pe, out, scope, budget);
}

}  // namespace tw::peres
