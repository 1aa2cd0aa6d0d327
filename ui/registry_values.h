#pragma once
// The stored window options under the current user's key.
#include "main_state.h"
#include "win_handle.h"

namespace tw {

class RegistryOptionValues : public OptionValues {
 public:
  // Opens (creates) the key for query and set access; false when it cannot.
  bool open();
  ValueRead string_value(const wchar_t* name, std::wstring* out) override;
  ValueRead number_value(const wchar_t* name, uint32_t* out) override;

 private:
  RegKey key_;
};

}  // namespace tw
