#include "resource_edits.h"

#include <map>
#include <set>
#include <vector>

#include "icon_file.h"
#include "pe_writer.h"
#include "resource_reader.h"
#include "version_info.h"

namespace tw::peres {

namespace {

struct GroupRemoval {
  bool ok = true;
  bool had_group = false;
  ResName name;  // of the removed group
};

// Removes the first icon group in every language, with the images each
// language's group names in that language.
GroupRemoval remove_first_icon_group(ResourceTree& tree) {
  GroupRemoval r;
  NameMap* groups = names_of(tree, kRtGroupIcon);
  if (!groups || groups->empty()) return r;
  r.had_group = true;
  r.name = groups->begin()->first;
  NameMap* icons = names_of(tree, kRtIcon);
  for (const auto& lang : groups->begin()->second) {
    std::vector<uint16_t> ids;
    if (!icon_group_ids(lang.second.data, &ids)) {
      r.ok = false;
      return r;
    }
    for (uint16_t id : ids) {
      if (!icons) break;
      auto image = icons->find(ResName::number(id));
      if (image != icons->end()) image->second.erase(lang.first);
    }
  }
  groups->erase(groups->begin());
  prune(tree);
  return r;
}

// The data of an icon image in `language`, else in the neutral language,
// else in the first language it has.
const ResData* find_image(const ResourceTree& tree, uint16_t id, uint16_t language) {
  const NameMap* icons = names_of(tree, kRtIcon);
  if (!icons) return nullptr;
  auto image = icons->find(ResName::number(id));
  if (image == icons->end() || image->second.empty()) return nullptr;
  for (uint16_t l : {language, uint16_t(0)}) {
    auto it = image->second.find(l);
    if (it != image->second.end()) return &it->second;
  }
  return &image->second.begin()->second;
}

// The data of the version resource the system reads: name 1 when there is
// one, else the first name; its first language.
const ResData* version_resource(const ResourceTree& tree) {
  const NameMap* versions = names_of(tree, kRtVersion);
  if (!versions || versions->empty()) return nullptr;
  auto it = versions->find(ResName::number(1));
  if (it == versions->end()) it = versions->begin();
  return it->second.empty() ? nullptr : &it->second.begin()->second;
}

uint16_t version_language(const ResourceTree& tree) {
  const ResData* v = version_resource(tree);
  return v ? translation_language(v->data) : 0;
}

}  // namespace

Result edit_resources(Bytes* target, const std::function<Result(ResourceTree&)>& edit) {
  ResourceTree tree;
  Bytes written;
  if (!read_pe_resources(*target, &tree)) return Fault::kTargetRefused;
  if (Result r = edit(tree); !r) return r;
  prune(tree);
  if (!write_with_resources(*target, tree, &written)) return Fault::kTargetRefused;
  target->swap(written);
  return Fault::kNone;
}

uint16_t GetVersionLanguage(ByteView file) {
  ResourceTree tree;
  return read_pe_resources(file, &tree, ReadScope{{kRtVersion}, {}}) ? version_language(tree) : 0;
}

Result ReplaceIconFromIco(ByteView icon_file, Bytes* target) {
  IconFile icon;
  CopyBudget budget(icon_file.size(), kMaxResourceGain);
  if (Result r = parse_icon_file(icon_file, &budget, &icon); !r) return r;
  return edit_resources(target, [&](ResourceTree& tree) -> Result {
    GroupRemoval old = remove_first_icon_group(tree);
    if (!old.ok) return Fault::kTargetRefused;
    uint16_t language = version_language(tree);
    for (size_t i = 0; i < icon.images.size(); ++i)
      tree[ResName::number(kRtIcon)][ResName::number(uint16_t(i + 1))][language] =
          ResData{icon.images[i].data, 0};
    ResName name = old.had_group ? old.name : ResName::number(1);
    tree[ResName::number(kRtGroupIcon)][name][language] = ResData{make_icon_group(icon), 0};
    return Fault::kNone;
  });
}

Result CopyIconFromExecutable(ByteView source, Bytes* target) {
  // The groups first, then only the images the first group names.
  CopyBudget budget(source.size(), kMaxResourceGain);
  ResourceTree from, images;
  if (Result r = read_pe_resources(source, &from, ReadScope{{kRtGroupIcon}, {}}, &budget); !r)
    return r;
  const NameMap* groups = names_of(from, kRtGroupIcon);
  if (!groups || groups->empty()) return Fault::kNoIconGroup;
  const auto& group = *groups->begin();
  std::map<uint16_t, std::vector<uint16_t>> ids;  // by language
  std::set<uint16_t> wanted;
  for (const auto& lang : group.second) {
    if (!icon_group_ids(lang.second.data, &ids[lang.first])) return Fault::kDamagedIconGroup;
    wanted.insert(ids[lang.first].begin(), ids[lang.first].end());
  }
  ReadScope named{{kRtIcon}, [&](uint16_t, uint16_t id) { return wanted.count(id) != 0; }};
  if (Result r = read_pe_resources(source, &images, named, &budget); !r) return r;
  return edit_resources(target, [&](ResourceTree& tree) -> Result {
    GroupRemoval old = remove_first_icon_group(tree);
    if (!old.ok) return Fault::kTargetRefused;
    ResName name = old.had_group ? old.name : group.first;
    for (const auto& lang : group.second) {
      for (uint16_t id : ids[lang.first]) {
        const ResData* image = find_image(images, id, lang.first);
        if (!image) return Fault::kMissingIconImage;
        tree[ResName::number(kRtIcon)][ResName::number(id)][lang.first] = *image;
      }
      tree[ResName::number(kRtGroupIcon)][name][lang.first] = lang.second;
    }
    return Fault::kNone;
  });
}

Result CopyVersionInfo(ByteView source, Bytes* target) {
  CopyBudget budget(source.size(), kMaxResourceGain);
  ResourceTree from;
  if (Result r = read_pe_resources(source, &from, ReadScope{{kRtVersion}, {}}, &budget); !r)
    return r;
  const NameMap* versions = names_of(from, kRtVersion);
  if (!versions || versions->empty()) return Fault::kNoVersionInfo;
  return edit_resources(target, [&](ResourceTree& tree) -> Result {
    tree[ResName::number(kRtVersion)] = *versions;
    return Fault::kNone;
  });
}

Result WriteResourceInLanguage(Bytes* target, const ResName& type, const ResName& name,
                               uint16_t language, const Bytes& data) {
  return edit_resources(target, [&](ResourceTree& tree) -> Result {
    tree[type][name][language] = ResData{data, 0};
    return Fault::kNone;
  });
}

Result WriteResource(Bytes* target, const ResName& type, const ResName& name, const Bytes& data) {
  return edit_resources(target, [&](ResourceTree& tree) -> Result {
    uint16_t language = version_language(tree);
    LanguageMap& languages = tree[type][name];
    languages.clear();
    languages[language] = ResData{data, 0};
    return Fault::kNone;
  });
}

}  // namespace tw::peres
