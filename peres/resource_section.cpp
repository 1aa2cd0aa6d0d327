#include "resource_section.h"

#include <vector>

namespace tw::peres {

namespace {

const uint32_t kHighBit = 0x80000000u;

template <typename Map>
bool countable(const Map& m) {
  return m.size() <= 0xFFFF;
}

void pad_to(Bytes& b, size_t alignment) {
  while (b.size() % alignment) b.push_back(0);
}

class SectionWriter {
 public:
  SectionWriter(const ResourceTree& tree, uint32_t rva) : tree_(tree), rva_(rva) {}

  bool write(Bytes* out) {
    if (!measure()) return false;
    out_.assign(size_t(tables_end_), 0);
    strings_.reserve(size_t(strings_size_));
    // Directory tables, breadth first.
    uint32_t next_table = table_size(tree_.size());
    uint32_t root_entry = 16;
    write_table_header(0, tree_);
    std::vector<std::pair<const NameMap*, uint32_t>> name_tables;
    for (const auto& type : tree_) {
      write_entry(root_entry, type.first, next_table | kHighBit);
      name_tables.push_back({&type.second, next_table});
      next_table += table_size(type.second.size());
      root_entry += 8;
    }
    std::vector<std::pair<const LanguageMap*, uint32_t>> language_tables;
    for (const auto& nt : name_tables) {
      write_table_header(nt.second, *nt.first);
      uint32_t e = nt.second + 16;
      for (const auto& name : *nt.first) {
        write_entry(e, name.first, next_table | kHighBit);
        language_tables.push_back({&name.second, next_table});
        next_table += table_size(name.second.size());
        e += 8;
      }
    }
    uint32_t data_entry = uint32_t(entries_at_);
    std::vector<const ResData*> leaves;
    for (const auto& lt : language_tables) {
      write_table_header(lt.second, *lt.first);
      uint32_t e = lt.second + 16;
      for (const auto& lang : *lt.first) {
        write_entry(e, ResName::number(lang.first), data_entry);
        leaves.push_back(&lang.second);
        data_entry += 16;
        e += 8;
      }
    }
    // Strings, then data entries, then the data.
    out_.insert(out_.end(), strings_.begin(), strings_.end());
    pad_to(out_, 8);
    size_t entry_at = out_.size();
    out_.resize(out_.size() + 16 * leaves.size(), 0);
    for (const ResData* leaf : leaves) {
      pad_to(out_, 8);
      uint64_t rva = uint64_t(rva_) + out_.size();
      if (rva > 0xFFFFFFFFu || leaf->data.size() > 0xFFFFFFFFu) return false;
      // Data entry (16 bytes): DataRVA, Size, CodePage, Reserved.
      put_u32(out_, entry_at, uint32_t(rva));
      put_u32(out_, entry_at + 4, uint32_t(leaf->data.size()));
      put_u32(out_, entry_at + 8, leaf->codepage);
      entry_at += 16;
      out_.insert(out_.end(), leaf->data.begin(), leaf->data.end());
    }
    pad_to(out_, 8);
    if (uint64_t(rva_) + out_.size() > 0xFFFFFFFFu) return false;
    *out = std::move(out_);
    return true;
  }

 private:
  static uint32_t table_size(size_t entries) { return uint32_t(16 + 8 * entries); }

  bool measure() {
    if (!countable(tree_)) return false;
    uint64_t tables = table_size(tree_.size()), strings = 0, leaves = 0;
    bool names_fit = true;
    auto add_name = [&](const ResName& n) {
      if (!n.is_id) strings += 2 + 2 * uint64_t(n.text.size());
      if (n.text.size() > 0xFFFF) names_fit = false;
    };
    for (const auto& type : tree_) {
      if (!countable(type.second)) return false;
      add_name(type.first);
      tables += table_size(type.second.size());
      for (const auto& name : type.second) {
        if (!countable(name.second)) return false;
        add_name(name.first);
        tables += table_size(name.second.size());
        leaves += name.second.size();
      }
    }
    if (!names_fit || tables + strings + 16 * leaves > 0x7FFFFFFF) return false;
    tables_end_ = tables;
    strings_size_ = strings;
    entries_at_ = align_up(tables + strings, 8);
    return true;
  }

  static uint16_t named_count(const LanguageMap&) { return 0; }
  template <typename Map>
  static uint16_t named_count(const Map& m) {
    uint16_t named = 0;
    for (const auto& kv : m) named += kv.first.is_id ? 0 : 1;
    return named;
  }

  template <typename Map>
  void write_table_header(uint32_t at, const Map& m) {
    uint16_t named = named_count(m);
    put_u16(out_, at + 12, named);
    put_u16(out_, at + 14, uint16_t(m.size() - named));
  }

  // Directory entry: name field (an id, or the high bit and the offset of
  // the string), then the target offset.
  void write_entry(uint32_t at, const ResName& name, uint32_t target) {
    uint32_t name_field = name.id;
    if (!name.is_id) {
      name_field = uint32_t(tables_end_ + strings_.size()) | kHighBit;
      append_u16(strings_, uint16_t(name.text.size()));
      for (char16_t c : name.text) append_u16(strings_, uint16_t(c));
    }
    put_u32(out_, at, name_field);
    put_u32(out_, at + 4, target);
  }

  const ResourceTree& tree_;
  uint32_t rva_;
  uint64_t tables_end_ = 0, strings_size_ = 0, entries_at_ = 0;
  Bytes out_;
  Bytes strings_;
};

}  // namespace

bool build_resource_section(const ResourceTree& tree, uint32_t rva, Bytes* out) {
  return SectionWriter(tree, rva).write(out);
}

}  // namespace tw::peres
