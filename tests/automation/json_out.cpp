#include "json_out.h"

#include <cstdio>

void JsonOut::Separate() {
  if (after_key_) {
    after_key_ = false;
    return;
  }
  if (!first_) text_ += ',';
  first_ = false;
}

void JsonOut::Key(const char* name) {
  Separate();
  text_ += '"';
  text_ += name;  // keys are plain ASCII chosen by this program
  text_ += "\":";
  after_key_ = true;
}

void JsonOut::Int(int64_t value) {
  char buf[24];
  snprintf(buf, sizeof buf, "%lld", static_cast<long long>(value));
  Raw(buf);
}

void JsonOut::AppendEscape(unsigned unit) {
  char buf[8];
  snprintf(buf, sizeof buf, "\\u%04X", unit & 0xFFFF);
  text_ += buf;
}

void JsonOut::AppendUtf8(uint32_t cp) {
  if (cp < 0x80) {
    text_ += static_cast<char>(cp);
  } else if (cp < 0x800) {
    text_ += static_cast<char>(0xC0 | (cp >> 6));
    text_ += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    text_ += static_cast<char>(0xE0 | (cp >> 12));
    text_ += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    text_ += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    text_ += static_cast<char>(0xF0 | (cp >> 18));
    text_ += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    text_ += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    text_ += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

void JsonOut::String(const wchar_t* s, size_t length) {
  Separate();
  text_ += '"';
  for (size_t i = 0; i < length; ++i) {
    unsigned u = static_cast<uint16_t>(s[i]);
    switch (u) {
      case '"': text_ += "\\\""; continue;
      case '\\': text_ += "\\\\"; continue;
      case '\n': text_ += "\\n"; continue;
      case '\r': text_ += "\\r"; continue;
      case '\t': text_ += "\\t"; continue;
      default: break;
    }
    if (u < 0x20 || u == 0x7F) {
      AppendEscape(u);
    } else if (u >= 0xD800 && u <= 0xDBFF && i + 1 < length &&
               static_cast<uint16_t>(s[i + 1]) >= 0xDC00 &&
               static_cast<uint16_t>(s[i + 1]) <= 0xDFFF) {
      unsigned low = static_cast<uint16_t>(s[++i]);
      AppendUtf8(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
    } else if (u >= 0xD800 && u <= 0xDFFF) {
      AppendEscape(u);  // unpaired surrogate: keep it visible as an escape
    } else {
      AppendUtf8(u);
    }
  }
  text_ += '"';
}
