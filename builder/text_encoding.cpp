#include "text_encoding.h"

#include "build_error.h"
#include "container_format.h"
#include "message_ids.h"
#include "path_text.h"
#include "utf8.h"

namespace tw {

namespace {

bool encode_exact(Platform& platform, uint32_t code_page, const std::wstring& text,
                  std::string* out) {
  return code_page == kCodePageUtf8 ? wide_to_utf8(text, out) : platform.encode(code_page, text, out);
}

// Every text in the code page, with the path to name when one fails.
struct Attempt {
  bool ok = true;
  std::wstring failed;  // shown path of the first text without a form
  EncodedTexts texts;
};

Attempt encode_all(Platform& platform, const std::vector<FileItem>& items, const BuildOptions& o,
                   uint32_t code_page) {
  Attempt a;
  a.texts.codepage = code_page;
  auto encode = [&](const std::wstring& text, const std::wstring& shown, std::string* out) {
    if (a.ok && !encode_exact(platform, code_page, text, out)) {
      a.ok = false;
      a.failed = shown;
    }
  };
  a.texts.names.resize(items.size());
  for (size_t i = 0; i < items.size(); ++i)
    encode(items[i].name, item_path(o.source_folder, items[i].name, platform.separator()),
           &a.texts.names[i]);
  std::string unused;
  encode(o.parameters, o.parameters, &unused);
  encode(o.custom_folder, o.custom_folder, &unused);
  if (a.ok) {
    a.texts.parameters = encode_cut(platform, code_page, o.parameters, kParametersMax);
    a.texts.custom_folder = encode_cut(platform, code_page, o.custom_folder, kCustomFolderMax);
  }
  return a;
}

}  // namespace

std::string encode_cut(Platform& platform, uint32_t code_page, const std::wstring& s,
                       size_t max_bytes) {
  std::string out, one;
  if (encode_exact(platform, code_page, s, &out) && out.size() <= max_bytes) return out;
  out.clear();
  // Whole characters, each converted on its own (the code pages are
  // stateless), while they fit.
  for (size_t i = 0; i < s.size();) {
    size_t next = next_character(s, i);
    if (!encode_exact(platform, code_page, s.substr(i, next - i), &one)) one = "?";
    if (out.size() + one.size() > max_bytes) break;
    out += one;
    i = next;
  }
  return out;
}

EncodedTexts encode_texts(Platform& platform, const std::vector<FileItem>& items,
                          const BuildOptions& o, uint32_t code_page) {
  if (code_page == 0) {
    Attempt ansi = encode_all(platform, items, o, platform.ansi_code_page());
    if (ansi.ok) return ansi.texts;
    code_page = kCodePageUtf8;
  }
  Attempt chosen = encode_all(platform, items, o, code_page);
  if (!chosen.ok) throw BuildError(kMsgNameNotRepresentable, chosen.failed);
  return chosen.texts;
}

}  // namespace tw
