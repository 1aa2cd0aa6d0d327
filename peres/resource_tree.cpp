#include "resource_tree.h"

namespace tw::peres {

namespace {

// Upper case of one UTF-16 unit for the ranges names use in practice:
// ASCII, Latin-1, Greek and Cyrillic.
char16_t upper(char16_t c) {
  if (c >= u'a' && c <= u'z') return char16_t(c - 32);
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
      (c >= 0x430 && c <= 0x44F))
    return char16_t(c - 32);
  if (c >= 0x450 && c <= 0x45F) return char16_t(c - 80);
  return c;
}

}  // namespace

int compare_names_ignoring_case(const std::u16string& a, const std::u16string& b) {
  size_t n = a.size() < b.size() ? a.size() : b.size();
  for (size_t i = 0; i < n; ++i) {
    char16_t x = upper(a[i]), y = upper(b[i]);
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

bool ResNameOrder::operator()(const ResName& a, const ResName& b) const {
  if (a.is_id != b.is_id) return !a.is_id;  // strings before numbers
  if (a.is_id) return a.id < b.id;
  int c = compare_names_ignoring_case(a.text, b.text);
  // Names equal but for case stay apart, in ordinal order.
  return c != 0 ? c < 0 : a.text < b.text;
}

const NameMap* names_of(const ResourceTree& tree, uint16_t type) {
  auto it = tree.find(ResName::number(type));
  return it == tree.end() ? nullptr : &it->second;
}

NameMap* names_of(ResourceTree& tree, uint16_t type) {
  auto it = tree.find(ResName::number(type));
  return it == tree.end() ? nullptr : &it->second;
}

void prune(ResourceTree& tree) {
  for (auto t = tree.begin(); t != tree.end();) {
    for (auto n = t->second.begin(); n != t->second.end();)
      n = n->second.empty() ? t->second.erase(n) : std::next(n);
    t = t->second.empty() ? tree.erase(t) : std::next(t);
  }
}

}  // namespace tw::peres
