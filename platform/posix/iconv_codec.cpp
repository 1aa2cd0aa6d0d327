#include "iconv_codec.h"

#include <iconv.h>
#include <stdio.h>

#include <vector>

namespace tw {

namespace {

std::string charset_of(uint32_t code_page) {
  char name[16];
  snprintf(name, sizeof name, "CP%u", code_page);
  return name;
}

class Converter {
 public:
  Converter(const std::string& to, const std::string& from)
      : cd_(iconv_open(to.c_str(), from.c_str())) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // The whole input, or false at the first byte or character it cannot take.
  bool convert(const void* data, size_t n, std::string* out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    std::vector<char> buf(n * 4 + 16);
    char* in = const_cast<char*>(static_cast<const char*>(data));
    char* at = buf.data();
    size_t in_left = n, out_left = buf.size();
    if (iconv(cd_, &in, &in_left, &at, &out_left) == size_t(-1) ||
        iconv(cd_, nullptr, nullptr, &at, &out_left) == size_t(-1))
      return false;
    out->assign(buf.data(), at);
    return true;
  }

 private:
  iconv_t cd_;
};

}  // namespace

bool iconv_has_code_page(uint32_t code_page) {
  return Converter(charset_of(code_page), "WCHAR_T").ok();
}

bool iconv_encode_exact(uint32_t code_page, const std::wstring& text, std::string* out) {
  out->clear();
  if (text.empty()) return true;
  Converter there(charset_of(code_page), "WCHAR_T"), back("WCHAR_T", charset_of(code_page));
  std::string wide_back;
  if (!there.ok() || !back.ok() || !there.convert(text.data(), text.size() * sizeof(wchar_t), out) ||
      !back.convert(out->data(), out->size(), &wide_back))
    return false;
  return wide_back.size() == text.size() * sizeof(wchar_t) &&
         wide_back.compare(0, std::string::npos, reinterpret_cast<const char*>(text.data()),
                           wide_back.size()) == 0;
}

}  // namespace tw
