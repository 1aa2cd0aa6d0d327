#pragma once
// The main window's options as a plain state of its controls (text, check,
// enable state per control), and the rules that work on it: defaults,
// filling from the command line or the registry, the enable rules and the
// reading of Build options. The window copies this state to and from its
// controls; nothing here needs a window.
#include <stdint.h>

#include <string>

#include "build_options.h"
#include "control_ids.h"

namespace tw {

struct MainState {
  static const int kCount = kMainEnd - kMainFirst;
  std::wstring text[kCount];
  bool checked[kCount] = {};
  bool enabled[kCount];

  MainState();  // the defaults of a new window: every control enabled
  std::wstring& text_of(int id) { return text[id - kMainFirst]; }
  const std::wstring& text_of(int id) const { return text[id - kMainFirst]; }
  bool& checked_of(int id) { return checked[id - kMainFirst]; }
  bool checked_of(int id) const { return checked[id - kMainFirst]; }
  bool& enabled_of(int id) { return enabled[id - kMainFirst]; }
  bool enabled_of(int id) const { return enabled[id - kMainFirst]; }
};

bool is_radio(int id);
// Checks a radio button and clears the others of its group.
void check_radio(MainState* s, int id);

// Where a registry value comes from; the window reads the real key, tests
// use a table.
enum class ValueRead { kOk, kMissing, kWrongType };
class OptionValues {
 public:
  virtual ~OptionValues() = default;
  virtual ValueRead string_value(const wchar_t* name, std::wstring* out) = 0;
  virtual ValueRead number_value(const wchar_t* name, uint32_t* out) = 0;
};

// Values given on a complete command line.
void fill_from_options(MainState* s, const BuildOptions& o);
// The stored values, each on its own: a missing or wrongly typed one
// leaves its control as it was (a missing string reads as empty).
void fill_from_values(MainState* s, OptionValues& values);

// The Build options the controls stand for, whatever their enable state.
BuildOptions options_from_state(const MainState& s);

// The enable rules. Each returns the control that should take the focus
// when the handler ran for a click, or 0.
void extraction_mode_rule(MainState* s);
void uac_rule(MainState* s);
int icon_rule(MainState* s);
int extraction_folder_rule(MainState* s);

}  // namespace tw
