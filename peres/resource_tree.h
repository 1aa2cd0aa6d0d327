#pragma once
// The resources of a PE file as a tree: type -> name -> language -> data.
// Types and names are numbers or UTF-16 strings; each level is kept in the
// order the loader expects (strings first, compared without regard to case,
// then numbers ascending).
#include <stdint.h>

#include <map>
#include <string>

#include "bytes.h"

namespace tw::peres {

struct ResName {
  bool is_id = true;
  uint16_t id = 0;
  std::u16string text;  // when !is_id

  static ResName number(uint16_t n) { return ResName{true, n, {}}; }
  static ResName string(const std::u16string& s) { return ResName{false, 0, s}; }
  bool operator==(const ResName& o) const {
    return is_id == o.is_id && (is_id ? id == o.id : text == o.text);
  }
};

// Case-insensitive order of strings as the loader searches them: each
// UTF-16 unit upper-cased, then compared as numbers.
int compare_names_ignoring_case(const std::u16string& a, const std::u16string& b);

struct ResNameOrder {
  bool operator()(const ResName& a, const ResName& b) const;
};

struct ResData {
  Bytes data;
  uint32_t codepage = 0;
  bool operator==(const ResData& o) const { return data == o.data && codepage == o.codepage; }
};

using LanguageMap = std::map<uint16_t, ResData>;
using NameMap = std::map<ResName, LanguageMap, ResNameOrder>;
using ResourceTree = std::map<ResName, NameMap, ResNameOrder>;

// Well-known resource types.
const uint16_t kRtIcon = 3;
const uint16_t kRtRcData = 10;
const uint16_t kRtGroupIcon = 14;
const uint16_t kRtVersion = 16;
const uint16_t kRtManifest = 24;

// The names of a type, or nullptr when the tree has none of that type.
const NameMap* names_of(const ResourceTree& tree, uint16_t type);
NameMap* names_of(ResourceTree& tree, uint16_t type);
// Removes a type whose last name went, and a name whose last language went.
void prune(ResourceTree& tree);

}  // namespace tw::peres
