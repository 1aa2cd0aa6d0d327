#include "command_line.h"

namespace tw {

namespace {

char fold(char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool equal_ignoring_case(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (fold(*a) != fold(*b)) return false;
  return *a == *b;
}

}  // namespace

bool is_switch(const std::string& param) {
  return !param.empty() && (param[0] == '-' || param[0] == '/');
}

CommandLine::CommandLine(const std::string& raw, std::string program, LeadByteFn lead)
    : program_(std::move(program)) {
  const char* p = skip_program_name(raw.c_str(), lead);
  std::string token(raw.size() + 1, '\0');
  size_t length = 0;
  while (next_token(&p, &token[0], token.size(), &length, lead))
    params_.emplace_back(token.data(), length);
}

std::string CommandLine::param(size_t n) const {
  if (n == 0) return program_;
  return n <= params_.size() ? params_[n - 1] : std::string();
}

size_t CommandLine::positional_count() const {
  size_t n = 0;
  for (const auto& p : params_) n += !is_switch(p);
  return n;
}

std::string CommandLine::positional(size_t n) const {
  for (const auto& p : params_) {
    if (is_switch(p)) continue;
    if (--n == 0) return p;
  }
  return std::string();
}

bool CommandLine::has_switch(const char* name) const {
  for (const auto& p : params_)
    if (is_switch(p) && equal_ignoring_case(p.c_str() + 1, name)) return true;
  return false;
}

}  // namespace tw
