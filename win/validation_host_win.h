#pragma once
// Validation against the real system: files, registry, message boxes.
#include "validation_host_platform.h"

namespace tw {

class WinValidationHost : public PlatformValidationHost {
 public:
  WinValidationHost();
  void save_options(const BuildOptions& options) override;
  std::wstring message(unsigned id) override;
  void show_error(const std::wstring& text) override;
  bool ask_no_default(const std::wstring& text) override;
};

}  // namespace tw
