#include "main_state.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using tw::MainState;

// Stored values: a string, a number, or a value of another type.
struct Stored {
  enum Type { kString, kNumber, kBinary } type;
  std::wstring text;
  uint32_t number;
};

class FakeValues : public tw::OptionValues {
 public:
  std::map<std::wstring, Stored> values;
  tw::ValueRead string_value(const wchar_t* name, std::wstring* out) override {
    auto it = values.find(name);
    if (it == values.end()) return tw::ValueRead::kMissing;
    if (it->second.type != Stored::kString) return tw::ValueRead::kWrongType;
    *out = it->second.text;
    return tw::ValueRead::kOk;
  }
  tw::ValueRead number_value(const wchar_t* name, uint32_t* out) override {
    auto it = values.find(name);
    if (it == values.end()) return tw::ValueRead::kMissing;
    if (it->second.type != Stored::kNumber) return tw::ValueRead::kWrongType;
    *out = it->second.number;
    return tw::ValueRead::kOk;
  }
};

Stored str(const wchar_t* s) { return {Stored::kString, s, 0}; }
Stored num(uint32_t n) { return {Stored::kNumber, L"", n}; }

// The window's state after filling and showing (the rules run once).
MainState shown(FakeValues& v) {
  MainState s;
  tw::fill_from_values(&s, v);
  tw::icon_rule(&s);
  tw::extraction_mode_rule(&s);
  return s;
}

TEST(MainState, NoStoredValuesGiveTheDefaults) {
  FakeValues none;
  MainState s = shown(none);
  tw::BuildOptions o = tw::options_from_state(s);
  EXPECT_EQ(o.extraction_mode, tw::kExtractOnly);
  EXPECT_EQ(o.extraction_folder, tw::kFolderTemp);
  EXPECT_TRUE(o.open_folder);
  EXPECT_FALSE(o.one_instance || o.silent || o.self_delete);
  EXPECT_EQ(o.working_folder + o.delete_mode + o.uac_elevation + o.overwrite_mode, 0);
  EXPECT_TRUE(s.checked_of(tw::kRbIconDefault) && s.checked_of(tw::kRbWdExtraction));
  // Extract only: the run settings are disabled, the custom folder too.
  for (int id : {tw::kEExecutableFile, tw::kRbWdSource, tw::kRbDmImmediately, tw::kRbUacNone,
                 tw::kEIcon, tw::kECustomDir, tw::kLCustom, tw::kBEnvVars})
    EXPECT_FALSE(s.enabled_of(id)) << id;
  EXPECT_TRUE(s.enabled_of(tw::kCbOpenFolder) && s.enabled_of(tw::kRbOmSkip));
}

TEST(MainState, StoredValuesAreReadOneByOne) {
  FakeValues v;
  v.values = {{L"Source", str(L"C:\\src")},   {L"Target", num(7)},  // wrong type: kept empty
              {L"Icon", str(L"   ")},         {L"ExtractionFolder", num(9)},
              {L"OpenFolder", str(L"1")},     {L"SilentMode", num(2)},
              {L"ExtractionMode", num(1)},    {L"DeleteMode", num(1)},
              {L"UACAutoElevation", num(0)},  {L"WorkingDirectory", num(2)},
              {L"OverwriteMode", str(L"2")}};
  MainState s = shown(v);
  EXPECT_EQ(s.text_of(tw::kESource), L"C:\\src");
  EXPECT_EQ(s.text_of(tw::kETarget), L"");
  EXPECT_EQ(s.text_of(tw::kEIcon), L"");
  EXPECT_TRUE(s.checked_of(tw::kRbIconDefault));
  EXPECT_TRUE(s.checked_of(tw::kRbTemp));          // 9 is out of range
  EXPECT_TRUE(s.checked_of(tw::kCbOpenFolder));    // string type: default kept
  EXPECT_TRUE(s.checked_of(tw::kCbSilent));        // not zero reads as true
  EXPECT_TRUE(s.checked_of(tw::kRbWdCurrent));
  EXPECT_TRUE(s.checked_of(tw::kRbOmPrompt));
  // Deleting at restart needs the administrator choice.
  EXPECT_TRUE(s.checked_of(tw::kRbDmImmediately));
  EXPECT_FALSE(s.enabled_of(tw::kRbDmOnReboot));
  EXPECT_TRUE(s.enabled_of(tw::kRbDmDoNotDelete));
}

TEST(MainState, CommandLineValuesFillEveryControl) {
  tw::BuildOptions o;
  o.source_folder = L"C:\\src";
  o.target_file = L"C:\\out.exe";
  o.icon_file = L" C:\\a.ico";
  o.executable = L"C:\\src\\run.cmd";
  o.parameters = L"-x \"y\"";
  o.custom_folder = L"%TEMP%\\x";
  o.extraction_mode = tw::kExtractAndRun;
  o.extraction_folder = tw::kFolderCustom;
  o.working_folder = 1;
  o.delete_mode = 1;
  o.uac_elevation = 2;
  o.overwrite_mode = 2;
  o.one_instance = o.silent = o.self_delete = true;
  MainState s;
  tw::fill_from_options(&s, o);
  tw::extraction_mode_rule(&s);
  tw::BuildOptions back = tw::options_from_state(s);
  o.icon_file = L"C:\\a.ico";  // read back trimmed
  EXPECT_EQ(back.source_folder + back.target_file + back.icon_file + back.executable +
                back.parameters + back.custom_folder,
            o.source_folder + o.target_file + o.icon_file + o.executable + o.parameters +
                o.custom_folder);
  EXPECT_EQ(back.extraction_folder, o.extraction_folder);
  EXPECT_EQ(back.working_folder + back.delete_mode * 10 + back.uac_elevation * 100 +
                back.overwrite_mode * 1000,
            1 + 10 + 200 + 2000);
  EXPECT_FALSE(back.open_folder);
  EXPECT_TRUE(back.one_instance && back.silent && back.self_delete);
  EXPECT_TRUE(s.enabled_of(tw::kRbDmOnReboot) && s.enabled_of(tw::kECustomDir));
}

TEST(MainState, DisabledControlsStillGiveTheirValues) {
  MainState s;
  tw::check_radio(&s, tw::kRbUacHighest);
  tw::check_radio(&s, tw::kRbIconCustom);
  s.text_of(tw::kEIcon) = L"C:\\i.ico ";
  tw::check_radio(&s, tw::kRbIconDefault);
  tw::extraction_mode_rule(&s);  // extract only: UAC radios disabled
  EXPECT_EQ(tw::icon_rule(&s), 0);
  EXPECT_FALSE(s.enabled_of(tw::kRbUacHighest));
  tw::BuildOptions o = tw::options_from_state(s);
  EXPECT_EQ(o.uac_elevation, 1);
  EXPECT_EQ(o.icon_file, L"");  // the default icon is chosen
  tw::check_radio(&s, tw::kRbIconCustom);
  EXPECT_EQ(tw::icon_rule(&s), tw::kEIcon);
  EXPECT_EQ(tw::options_from_state(s).icon_file, L"C:\\i.ico");
}

}  // namespace
