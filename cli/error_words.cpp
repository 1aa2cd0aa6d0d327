#include "error_words.h"

namespace tw::cli {

namespace {

struct Word {
  uint32_t code;
  const char* text;
};

const Word kErrors[] = {
    {2, "file not found"},
    {3, "path not found"},
    {5, "access denied"},
    {8, "not enough memory"},
    {13, "invalid data"},
    {19, "the medium is write-protected"},
    {23, "data error (cyclic redundancy check)"},
    {32, "the file is in use by another process"},
    {33, "part of the file is locked by another process"},
    {39, "the disk is full"},
    {80, "the file exists"},
    {87, "invalid parameter"},
    {112, "the disk is full"},
    {123, "invalid file name"},
    {145, "the folder is not empty"},
    {183, "it already exists"},
    {206, "the file name is too long"},
    {267, "not a folder"},
    {1627, "the operation failed"},
    {1920, "the file cannot be accessed by the system"},
    {4390, "not a reparse point"},
    {4394, "a link or junction is in the way"},
};

const Word kDamage[] = {
    {8, "a compressed chunk is larger than 10,485,760 bytes"},
    {13, "damaged records"},
    {23, "checksum mismatch"},
    {38, "no SFX data follows the executable"},
    {160, "a chunk cannot be inflated"},
};

std::string with_code(const char* text, uint32_t code) {
  return std::string(text) + " (code " + std::to_string(code) + ")";
}

}  // namespace

std::string error_words(uint32_t code) {
  for (const Word& w : kErrors)
    if (w.code == code) return with_code(w.text, code);
  return "system error " + std::to_string(code);
}

std::string damage_words(uint32_t code) {
  for (const Word& w : kDamage)
    if (w.code == code) return with_code(w.text, code);
  return error_words(code);
}

}  // namespace tw::cli
