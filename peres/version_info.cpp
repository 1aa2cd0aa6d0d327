#include "version_info.h"

#include <string>

namespace tw::peres {

namespace {

size_t align4(size_t v) { return (v + 3) & ~size_t(3); }

struct Block {
  size_t end = 0;       // first byte after the block
  size_t value = 0;     // offset of the value
  size_t children = 0;  // offset of the first child
  std::u16string key;
};

// Version block: wLength, wValueLength, wType (2 bytes each), the key as
// NUL-terminated UTF-16, padding to 4, the value (wValueLength bytes, or
// words when wType is 1 for text), padding to 4, the child blocks.
// Offsets are aligned from the start of the resource data.
bool read_block(ByteView v, size_t at, size_t limit, Block* b) {
  uint16_t length = 0, value_length = 0, type = 0;
  if (!read_u16(v, at, &length) || !read_u16(v, at + 2, &value_length) ||
      !read_u16(v, at + 4, &type) || length < 6 || at + length > limit)
    return false;
  b->end = at + length;
  b->key.clear();
  size_t p = at + 6;
  for (;; p += 2) {
    uint16_t unit = 0;
    if (p + 2 > b->end || !read_u16(v, p, &unit)) return false;
    if (unit == 0) break;
    b->key.push_back(char16_t(unit));
  }
  b->value = align4(p + 2);
  b->children = align4(b->value + (type == 1 ? 2u * value_length : value_length));
  return b->value <= b->end;
}

// The child of `parent` whose key is `key`.
bool find_child(ByteView v, const Block& parent, const std::u16string& key, Block* out) {
  for (size_t at = parent.children; at + 6 <= parent.end;) {
    Block child;
    if (!read_block(v, at, parent.end, &child)) return false;
    if (child.key == key) {
      *out = child;
      return true;
    }
    at = align4(child.end);
  }
  return false;
}

}  // namespace

uint16_t translation_language(ByteView v) {
  Block root, var_file_info, translation;
  uint16_t language = 0;
  if (!read_block(v, 0, v.size(), &root) || root.key != u"VS_VERSION_INFO" ||
      !find_child(v, root, u"VarFileInfo", &var_file_info) ||
      !find_child(v, var_file_info, u"Translation", &translation) ||
      translation.value + 4 > translation.end || !read_u16(v, translation.value, &language))
    return 0;
  return language;
}

}  // namespace tw::peres
