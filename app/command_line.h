#pragma once
// The maker's view of its command line: parameters, positional parameters
// (those not starting with "-" or "/", numbered from 1) and switches
// (compared whole, without regard to case, anywhere on the line).
#include <string>
#include <vector>

#include "cmdline_split.h"

namespace tw {

class CommandLine {
 public:
  CommandLine() = default;
  // raw: the process's UTF-16 command line, first token = program name.
  // program: parameter 0, the module's own path.
  CommandLine(const std::wstring& raw, std::wstring program);

  size_t count() const { return params_.size(); }
  // n from 1; 0 gives the program path; past the end gives "".
  std::wstring param(size_t n) const;
  size_t positional_count() const;
  // n from 1; missing gives "".
  std::wstring positional(size_t n) const;
  // name: an ASCII switch name such as "mf".
  bool has_switch(const char* name) const;

 private:
  std::wstring program_;
  std::vector<std::wstring> params_;
};

bool is_switch(const std::wstring& param);

}  // namespace tw
