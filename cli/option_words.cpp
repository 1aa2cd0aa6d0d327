#include "option_words.h"

namespace tw::cli {

namespace {

const OptionWord kFolder[] = {{"temp", 0},    {"desktop", 1}, {"documents", 2},
                              {"current", 3}, {"ask", 4},     {"custom", 5}};
const OptionWord kOverwrite[] = {{"ask", 0}, {"all", 1}, {"skip", 2}};
const OptionWord kDelete[] = {{"now", 0}, {"reboot", 1}, {"never", 2}};
const OptionWord kWorkdir[] = {{"extraction", 0}, {"sfx", 1}, {"current", 2}};
const OptionWord kUac[] = {{"none", 0}, {"highest", 1}, {"admin", 2}};

template <size_t N>
constexpr WordTable table(const OptionWord (&words)[N]) {
  return WordTable{words, N};
}

}  // namespace

const WordTable kFolderWords = table(kFolder);
const WordTable kOverwriteWords = table(kOverwrite);
const WordTable kDeleteWords = table(kDelete);
const WordTable kWorkdirWords = table(kWorkdir);
const WordTable kUacWords = table(kUac);

bool value_of_word(const WordTable& table, const std::string& word, uint8_t* value) {
  for (size_t i = 0; i < table.count; ++i) {
    if (word == table.words[i].word) {
      *value = table.words[i].value;
      return true;
    }
  }
  return false;
}

std::string word_of_value(const WordTable& table, uint8_t value) {
  for (size_t i = 0; i < table.count; ++i)
    if (table.words[i].value == value) return table.words[i].word;
  return "unknown (" + std::to_string(value) + ")";
}

std::string word_list(const WordTable& table) {
  std::string out;
  for (size_t i = 0; i < table.count; ++i) {
    if (i) out += '|';
    out += table.words[i].word;
  }
  return out;
}

}  // namespace tw::cli
