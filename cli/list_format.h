#pragma once
// The words of `list`: the options of an SFX file, its records and totals,
// as text for people or as JSON for pipelines (the fields are documented in
// the README and stay stable; "format" counts incompatible changes).
#include <functional>
#include <string>

#include "sfx_file.h"

namespace tw::cli {

// Stored text (names, parameters, custom folder) to UTF-8; false when the
// bytes are no text in the file's code page.
using DecodeText = std::function<bool(const std::string& stored, std::string* utf8)>;

struct Listing {
  std::string path;  // as the user named the file
  const SfxFile* sfx;
  uint32_t codepage;  // the one the texts were read in
  DecodeText decode;
};

std::string list_text(const Listing& l);
std::string list_json(const Listing& l);

// "2023-05-17 14:33:46" (sep ' ') or "2023-05-17T14:33:46" of a DOS
// date-time; "" for 0.
std::string dos_time_text(uint32_t dos_time, char sep);
// Letters of the attributes in the order D R H S A ("-" for each one
// missing).
std::string attribute_letters(uint32_t attributes);
// A JSON string literal of UTF-8 text.
std::string json_string(const std::string& utf8);

}  // namespace tw::cli
