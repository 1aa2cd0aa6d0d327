#include "text_encoding.h"

#include <windows.h>

#include "build_error.h"
#include "container_format.h"
#include "message_ids.h"
#include "text_codec.h"

namespace tw {

namespace {

bool wide_to_utf8(const std::wstring& w, std::string* out) {
  out->clear();
  if (w.empty()) return true;
  int n = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, w.data(), int(w.size()), nullptr, 0,
                              nullptr, nullptr);
  if (n <= 0) return false;
  out->resize(size_t(n));
  WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, w.data(), int(w.size()), &(*out)[0], n,
                      nullptr, nullptr);
  return true;
}

// Every text in the code page, with the path to name when one fails.
struct Attempt {
  bool ok = true;
  std::wstring failed;  // shown path of the first text without a form
  EncodedTexts texts;
};

Attempt encode_all(const std::vector<FileItem>& items, const BuildOptions& o, bool utf8) {
  Attempt a;
  a.texts.codepage = utf8 ? kCodePageUtf8 : GetACP();
  auto encode = [&](const std::wstring& text, const std::wstring& shown, std::string* out) {
    if (a.ok && !(utf8 ? wide_to_utf8(text, out) : wide_to_acp_exact(text, out))) {
      a.ok = false;
      a.failed = shown;
    }
  };
  a.texts.names.resize(items.size());
  for (size_t i = 0; i < items.size(); ++i)
    encode(items[i].name, o.source_folder + items[i].name, &a.texts.names[i]);
  encode(o.parameters, o.parameters, &a.texts.parameters);
  encode(o.custom_folder, o.custom_folder, &a.texts.custom_folder);
  auto cut = a.texts.codepage == kCodePageUtf8 ? cut_utf8 : cut_acp;  // the ANSI page may be UTF-8
  a.texts.parameters = cut(a.texts.parameters, kParametersMax);
  a.texts.custom_folder = cut(a.texts.custom_folder, kCustomFolderMax);
  return a;
}

}  // namespace

std::string cut_utf8(const std::string& s, size_t max_bytes) {
  if (s.size() <= max_bytes) return s;
  size_t end = max_bytes;
  while (end > 0 && (static_cast<unsigned char>(s[end]) & 0xC0) == 0x80) --end;
  return s.substr(0, end);
}

EncodedTexts encode_texts(const std::vector<FileItem>& items, const BuildOptions& o) {
  Attempt ansi = encode_all(items, o, false);
  if (ansi.ok) return ansi.texts;
  Attempt utf8 = encode_all(items, o, true);
  if (!utf8.ok) throw BuildError(kMsgNameNotRepresentable, utf8.failed);
  return utf8.texts;
}

}  // namespace tw
