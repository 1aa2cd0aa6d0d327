#pragma once
// The words the console tool uses for the byte values of the Build options
// and of the option header, both ways: the parser reads them, `list` writes
// them.
#include <stddef.h>
#include <stdint.h>

#include <string>

namespace tw::cli {

struct OptionWord {
  const char* word;
  uint8_t value;
};

struct WordTable {
  const OptionWord* words;
  size_t count;
};

extern const WordTable kFolderWords;     // temp desktop documents current ask custom
extern const WordTable kOverwriteWords;  // ask all skip
extern const WordTable kDeleteWords;     // now reboot never
extern const WordTable kWorkdirWords;    // extraction sfx current
extern const WordTable kUacWords;        // none highest admin

// False when the word is not in the table (compared exactly).
bool value_of_word(const WordTable& table, const std::string& word, uint8_t* value);
// The word of a value; "unknown (N)" for a value no word stands for.
std::string word_of_value(const WordTable& table, uint8_t value);
// "temp|desktop|..." for messages and the help text.
std::string word_list(const WordTable& table);

}  // namespace tw::cli
