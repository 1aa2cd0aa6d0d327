// Minimal JSON text builder for the automation helper's output. Strings come
// in as UTF-16 (what Win32 returns) and go out as UTF-8; control characters
// and unpaired surrogates become \uXXXX escapes so that nothing is lost.
#pragma once

#include <cstdint>
#include <string>

class JsonOut {
 public:
  void BeginObject() { Separate(); text_ += '{'; first_ = true; }
  void EndObject() { text_ += '}'; first_ = false; }
  void BeginArray() { Separate(); text_ += '['; first_ = true; }
  void EndArray() { text_ += ']'; first_ = false; }

  // Starts a member of the current object; the next value belongs to it.
  void Key(const char* name);

  void String(const wchar_t* s, size_t length);
  void String(const std::wstring& s) { String(s.data(), s.size()); }
  void Int(int64_t value);
  void Bool(bool value) { Raw(value ? "true" : "false"); }
  void Null() { Raw("null"); }

  const std::string& text() const { return text_; }

 private:
  void Raw(const char* s) { Separate(); text_ += s; }
  void Separate();
  void AppendUtf8(uint32_t code_point);
  void AppendEscape(unsigned unit);

  std::string text_;
  bool first_ = true;      // no comma before the next value
  bool after_key_ = false; // the next value follows a key
};
