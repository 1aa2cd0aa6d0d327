#pragma once
// Validation against the real system: files, registry, message boxes.
#include "validation.h"

namespace tw {

class WinValidationHost : public ValidationHost {
 public:
  std::wstring full_path(const std::wstring& path) override;
  bool directory_exists(const std::wstring& path) override;
  bool file_exists(const std::wstring& path) override;
  bool starts_with_ignoring_case(const std::wstring& text, const std::wstring& prefix) override;
  void save_options(const BuildOptions& options) override;
  std::wstring message(unsigned id) override;
  void show_error(const std::wstring& text) override;
  bool ask_no_default(const std::wstring& text) override;
};

}  // namespace tw
