#include "command_line.h"

namespace tw {

namespace {

wchar_t fold(wchar_t c) { return (c >= L'A' && c <= L'Z') ? wchar_t(c - L'A' + L'a') : c; }

// Switch names are ASCII: only ASCII letters fold, so no other character can
// pass for one of them.
bool equal_ignoring_case(const wchar_t* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (fold(*a) != fold(wchar_t(static_cast<unsigned char>(*b)))) return false;
  return *a == 0 && *b == 0;
}

}  // namespace

bool is_switch(const std::wstring& param) {
  return !param.empty() && (param[0] == L'-' || param[0] == L'/');
}

CommandLine::CommandLine(const std::wstring& raw, std::wstring program)
    : program_(std::move(program)) {
  const wchar_t* p = skip_program_name<wchar_t>(raw.c_str(), nullptr);
  std::wstring token(raw.size() + 1, L'\0');
  size_t length = 0;
  while (next_token<wchar_t>(&p, &token[0], token.size(), &length, nullptr))
    params_.emplace_back(token.data(), length);
}

std::wstring CommandLine::param(size_t n) const {
  if (n == 0) return program_;
  return n <= params_.size() ? params_[n - 1] : std::wstring();
}

size_t CommandLine::positional_count() const {
  size_t n = 0;
  for (const auto& p : params_) n += !is_switch(p);
  return n;
}

std::wstring CommandLine::positional(size_t n) const {
  for (const auto& p : params_) {
    if (is_switch(p)) continue;
    if (--n == 0) return p;
  }
  return std::wstring();
}

bool CommandLine::has_switch(const char* name) const {
  for (const auto& p : params_)
    if (is_switch(p) && equal_ignoring_case(p.c_str() + 1, name)) return true;
  return false;
}

}  // namespace tw
