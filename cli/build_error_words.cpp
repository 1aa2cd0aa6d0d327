#include "build_error_words.h"

#include "error_words.h"
#include "message_ids.h"
#include "utf.h"

namespace tw::cli {

namespace {

struct Words {
  unsigned id;
  const char* text;  // follows the path
};

const Words kWords[] = {
    {kMsgFileTooLarge, "too large: files of 2 GB or more cannot be stored"},
    {kMsgNameNotRepresentable, "the name cannot be stored in the code page"},
    {kMsgSourceChanged, "changed while it was packed; build again"},
    {kMsgReadFailed, "cannot be read"},
    {kMsgWriteFailed, "cannot be written"},
    {kMsgCreateFailed, "cannot be created"},
    {kMsgOpenFailed, "cannot be opened"},
    {kMsgScanFailed, "the folder cannot be listed"},
    {kMsgCompressionError, "compression error"},
    {kMsgDamagedProgram, "the carried stub is damaged"},
    {kMsgUnexpected, "unexpected error"},
};

}  // namespace

std::string build_error_words(const BuildError& e) {
  std::string text = e.path().empty() ? std::string() : utf8_of(e.path()) + ": ";
  if (e.message_id()) {
    const char* words = "failed";
    for (const Words& w : kWords)
      if (w.id == e.message_id()) words = w.text;
    text += words;
    if (e.system_error()) text += ": " + error_words(e.system_error());
    return text;
  }
  return text + error_words(e.system_error());
}

}  // namespace tw::cli
