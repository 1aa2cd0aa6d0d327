#include "report.h"

#include "console.h"

namespace tw::cli {

namespace {

// A line break inside a name must not split the message.
std::string one_line(const std::string& text) {
  std::string out = text;
  for (char& c : out)
    if (c == '\r' || c == '\n') c = ' ';
  return out;
}

}  // namespace

void report_error(const std::string& text) { write_text(Stream::kErr, "tarnwick-cli: error: " + one_line(text) + "\n"); }

void report_warning(const std::string& text) {
  write_text(Stream::kErr, "tarnwick-cli: warning: " + one_line(text) + "\n");
}

std::string quoted(const std::string& text) { return "'" + text + "'"; }

}  // namespace tw::cli
