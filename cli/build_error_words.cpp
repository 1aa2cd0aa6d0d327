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
    {kMsgTargetIsRunFile, "the target is the file to run"},
    {kMsgLinkInSource, "a link; links are not followed"},
    {kMsgSpecialFileInSource, "not a file or folder (a FIFO, socket or device)"},
    {kMsgNamesWindowsCannotHold, "a name Windows cannot hold (a letter-case twin, a device name, a "
                                 "trailing dot or blank, or one of <>:\"/\\|?* or a control character)"},
};

std::vector<std::string> lines_of(const std::string& text) {
  std::vector<std::string> out;
  size_t at = 0;
  for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2)
    out.push_back(text.substr(at, end - at));
  out.push_back(text.substr(at));
  return out;
}

}  // namespace

std::vector<std::string> build_error_lines(const BuildError& e, uint32_t (*windows_code)(uint32_t)) {
  std::string why;
  if (e.message_id()) {
    why = "failed";
    for (const Words& w : kWords)
      if (w.id == e.message_id()) why = w.text;
    if (e.system_error()) why += ": " + error_words(windows_code(e.system_error()));
  } else {
    why = error_words(windows_code(e.system_error()));
  }
  if (e.path().empty()) return {why};
  // The paths of a refusal of several names stand one to a line.
  std::vector<std::string> out;
  for (const std::string& path : lines_of(utf8_of(e.path()))) out.push_back(path + ": " + why);
  return out;
}

}  // namespace tw::cli
