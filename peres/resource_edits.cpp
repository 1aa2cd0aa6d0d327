#include "resource_edits.h"

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

bool edit_resources(Bytes* target, const std::function<bool(ResourceTree&)>& edit) {
  ResourceTree tree;
  Bytes written;
  if (!read_pe_resources(*target, &tree) || !edit(tree)) return false;
  prune(tree);
  if (!write_with_resources(*target, tree, &written)) return false;
  target->swap(written);
  return true;
}

uint16_t GetVersionLanguage(ByteView file) {
  ResourceTree tree;
  return read_pe_resources(file, &tree, {kRtVersion}) ? version_language(tree) : 0;
}

bool ReplaceIconFromIco(ByteView icon_file, Bytes* target) {
  IconFile icon;
  if (!parse_icon_file(icon_file, &icon)) return false;
  return edit_resources(target, [&](ResourceTree& tree) {
    GroupRemoval old = remove_first_icon_group(tree);
    if (!old.ok) return false;
    uint16_t language = version_language(tree);
    for (size_t i = 0; i < icon.images.size(); ++i)
      tree[ResName::number(kRtIcon)][ResName::number(uint16_t(i + 1))][language] =
          ResData{icon.images[i].data, 0};
    ResName name = old.had_group ? old.name : ResName::number(1);
    tree[ResName::number(kRtGroupIcon)][name][language] = ResData{make_icon_group(icon), 0};
    return true;
  });
}

bool CopyIconFromExecutable(ByteView source, Bytes* target) {
  ResourceTree from;
  if (!read_pe_resources(source, &from, {kRtIcon, kRtGroupIcon})) return false;
  const NameMap* groups = names_of(from, kRtGroupIcon);
  if (!groups || groups->empty()) return false;
  const auto& group = *groups->begin();
  return edit_resources(target, [&](ResourceTree& tree) {
    GroupRemoval old = remove_first_icon_group(tree);
    if (!old.ok) return false;
    ResName name = old.had_group ? old.name : group.first;
    for (const auto& lang : group.second) {
      std::vector<uint16_t> ids;
      if (!icon_group_ids(lang.second.data, &ids)) return false;
      for (uint16_t id : ids) {
        const ResData* image = find_image(from, id, lang.first);
        if (!image) return false;
        tree[ResName::number(kRtIcon)][ResName::number(id)][lang.first] = *image;
      }
      tree[ResName::number(kRtGroupIcon)][name][lang.first] = lang.second;
    }
    return true;
  });
}

bool CopyVersionInfo(ByteView source, Bytes* target) {
  ResourceTree from;
  if (!read_pe_resources(source, &from, {kRtVersion})) return false;
  const NameMap* versions = names_of(from, kRtVersion);
  if (!versions || versions->empty()) return false;
  return edit_resources(target, [&](ResourceTree& tree) {
    tree[ResName::number(kRtVersion)] = *versions;
    return true;
  });
}

bool WriteResourceInLanguage(Bytes* target, const ResName& type, const ResName& name,
                             uint16_t language, const Bytes& data) {
  return edit_resources(target, [&](ResourceTree& tree) {
    tree[type][name][language] = ResData{data, 0};
    return true;
  });
}

bool WriteResource(Bytes* target, const ResName& type, const ResName& name, const Bytes& data) {
  return edit_resources(target, [&](ResourceTree& tree) {
    uint16_t language = version_language(tree);
    LanguageMap& languages = tree[type][name];
    languages.clear();
    languages[language] = ResData{data, 0};
    return true;
  });
}

}  // namespace tw::peres
