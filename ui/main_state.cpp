#include "main_state.h"

#include <initializer_list>

#include "validation.h"

namespace tw {

namespace {

// The radio groups, each in the order of its values (0, 1, 2, ...).
const std::initializer_list<int> kGroups[] = {
    {kRbIconDefault, kRbIconCustom},
    {kRbOpenFolder, kRbExecuteFile},
    {kRbWdExtraction, kRbWdSource, kRbWdCurrent},
    {kRbDmImmediately, kRbDmOnReboot, kRbDmDoNotDelete},
    {kRbTemp, kRbDesktop, kRbDocuments, kRbCurrent, kRbSelect, kRbCustom},
    {kRbUacNone, kRbUacHighest, kRbUacAdministrator},
    {kRbOmPrompt, kRbOmOverwrite, kRbOmSkip},
};
enum Group { kIconGroup, kModeGroup, kWdGroup, kDmGroup, kFolderGroup, kUacGroup, kOmGroup };

const std::initializer_list<int>* group_of(int id) {
  for (const auto& g : kGroups)
    for (int member : g)
      if (member == id) return &g;
  return nullptr;
}

// Checks the radio of the given value; any value out of range checks the
// group's first radio.
void check_value(MainState* s, Group g, uint32_t value) {
  const auto& group = kGroups[g];
  check_radio(s, value < group.size() ? group.begin()[value] : *group.begin());
}

// The value of the first checked radio, tested from the second on; 0 when
// none of them is checked.
uint8_t value_of(const MainState& s, Group g) {
  const auto& group = kGroups[g];
  for (size_t i = 1; i < group.size(); ++i)
    if (s.checked_of(group.begin()[i])) return uint8_t(i);
  return 0;
}

void show_icon(MainState* s, const std::wstring& icon) {
  s->text_of(kEIcon) = trim(icon);
  check_radio(s, s->text_of(kEIcon).empty() ? kRbIconDefault : kRbIconCustom);
}

void enable(MainState* s, std::initializer_list<int> ids, bool on) {
  for (int id : ids) s->enabled_of(id) = on;
}

}  // namespace

MainState::MainState() {
  for (bool& e : enabled) e = true;
  for (const auto& g : kGroups) checked_of(*g.begin()) = true;
  checked_of(kCbOpenFolder) = true;
}

bool is_radio(int id) { return group_of(id) != nullptr; }

void check_radio(MainState* s, int id) {
  const auto* group = group_of(id);
  if (!group) return;
  for (int member : *group) s->checked_of(member) = member == id;
}

void fill_from_options(MainState* s, const BuildOptions& o) {
  s->text_of(kESource) = o.source_folder;
  s->text_of(kETarget) = o.target_file;
  s->text_of(kEExecutableFile) = o.executable;
  s->text_of(kECmdParameters) = o.parameters;
  s->text_of(kECustomDir) = o.custom_folder;
  s->text_of(kEIcon) = o.icon_file;
  check_radio(s, trim(o.icon_file).empty() ? kRbIconDefault : kRbIconCustom);
  s->checked_of(kCbOpenFolder) = o.open_folder;
  s->checked_of(kCbOneInstance) = o.one_instance;
  s->checked_of(kCbSilent) = o.silent;
  s->checked_of(kCbSelfDelete) = o.self_delete;
  check_value(s, kModeGroup, o.extraction_mode == kExtractAndRun ? 1 : 0);
  check_value(s, kFolderGroup, o.extraction_folder);
  check_value(s, kWdGroup, o.working_folder);
  check_value(s, kDmGroup, o.delete_mode);
  check_value(s, kUacGroup, o.uac_elevation);
  check_value(s, kOmGroup, o.overwrite_mode);
}

void fill_from_values(MainState* s, OptionValues& values) {
  static const struct { const wchar_t* name; int edit; } kStrings[] = {
      {L"Source", kESource},          {L"Target", kETarget},
      {L"Icon", kEIcon},              {L"ExecutableFile", kEExecutableFile},
      {L"CmdParameters", kECmdParameters}, {L"CustomFolder", kECustomDir},
  };
  for (const auto& v : kStrings) {
    std::wstring text;
    ValueRead r = values.string_value(v.name, &text);
    if (r == ValueRead::kWrongType) continue;
    if (v.edit == kEIcon) {
      show_icon(s, text);
    } else {
      s->text_of(v.edit) = text;
    }
  }
  static const struct { const wchar_t* name; int box; } kBooleans[] = {
      {L"OpenFolder", kCbOpenFolder}, {L"OneInstance", kCbOneInstance},
      {L"SilentMode", kCbSilent},     {L"SelfDeleteMode", kCbSelfDelete},
  };
  for (const auto& v : kBooleans) {
    uint32_t n = 0;
    if (values.number_value(v.name, &n) == ValueRead::kOk) s->checked_of(v.box) = n != 0;
  }
  static const struct { const wchar_t* name; Group group; } kNumbers[] = {
      {L"ExtractionMode", kModeGroup},  {L"ExtractionFolder", kFolderGroup},
      {L"WorkingDirectory", kWdGroup},  {L"DeleteMode", kDmGroup},
      {L"UACAutoElevation", kUacGroup}, {L"OverwriteMode", kOmGroup},
  };
  for (const auto& v : kNumbers) {
    uint32_t n = 0;
    if (values.number_value(v.name, &n) != ValueRead::kOk) continue;
    // Extraction mode: only 1 means run, any other number extract only.
    if (v.group == kModeGroup && n != 1) n = 0;
    check_value(s, v.group, n);
  }
}

BuildOptions options_from_state(const MainState& s) {
  BuildOptions o;
  o.source_folder = s.text_of(kESource);
  o.target_file = s.text_of(kETarget);
  o.icon_file = s.checked_of(kRbIconCustom) ? trim(s.text_of(kEIcon)) : std::wstring();
  o.executable = s.text_of(kEExecutableFile);
  o.parameters = s.text_of(kECmdParameters);
  o.custom_folder = s.text_of(kECustomDir);
  o.extraction_mode = s.checked_of(kRbExecuteFile) ? kExtractAndRun : kExtractOnly;
  o.extraction_folder = value_of(s, kFolderGroup);
  o.working_folder = value_of(s, kWdGroup);
  o.delete_mode = value_of(s, kDmGroup);
  o.uac_elevation = value_of(s, kUacGroup);
  o.overwrite_mode = value_of(s, kOmGroup);
  o.open_folder = s.checked_of(kCbOpenFolder);
  o.one_instance = s.checked_of(kCbOneInstance);
  o.silent = s.checked_of(kCbSilent);
  o.self_delete = s.checked_of(kCbSelfDelete);
  return o;
}

void extraction_mode_rule(MainState* s) {
  s->enabled_of(kCbOpenFolder) = s->checked_of(kRbOpenFolder);
  bool run = s->checked_of(kRbExecuteFile);
  enable(s, {kLExecutableFile, kEExecutableFile, kBExecutableFile, kLCmdParameters,
             kECmdParameters, kLWorkingDir, kLDeleteMode, kLUacAutoElevation}, run);
  enable(s, {kRbWdExtraction, kRbWdSource, kRbWdCurrent}, s->enabled_of(kLWorkingDir));
  enable(s, {kRbDmImmediately, kRbDmDoNotDelete}, s->enabled_of(kLDeleteMode));
  enable(s, {kRbUacNone, kRbUacHighest, kRbUacAdministrator}, s->enabled_of(kLUacAutoElevation));
  extraction_folder_rule(s);
  uac_rule(s);
}

void uac_rule(MainState* s) {
  bool deletion = s->enabled_of(kLDeleteMode);
  s->enabled_of(kRbDmOnReboot) = deletion && s->checked_of(kRbUacAdministrator);
  // Deleting at restart needs administrator rights: without them the
  // choice falls back to immediate deletion.
  if (deletion && !s->enabled_of(kRbDmOnReboot) && s->checked_of(kRbDmOnReboot))
    check_radio(s, kRbDmImmediately);
}

int icon_rule(MainState* s) {
  enable(s, {kEIcon, kBIcon}, s->checked_of(kRbIconCustom));
  return s->enabled_of(kEIcon) ? kEIcon : 0;
}

int extraction_folder_rule(MainState* s) {
  enable(s, {kECustomDir, kBEnvVars}, s->checked_of(kRbCustom));
  s->enabled_of(kLCustom) = s->enabled_of(kECustomDir);
  return s->enabled_of(kECustomDir) ? kECustomDir : 0;
}

}  // namespace tw
