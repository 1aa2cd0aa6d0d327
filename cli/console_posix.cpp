#include <stdio.h>
#include <unistd.h>

#include "console.h"

namespace tw::cli {

void write_text(Stream s, const std::string& utf8) {
  int fd = s == Stream::kOut ? 1 : 2;
  const char* p = utf8.data();
  size_t left = utf8.size();
  while (left) {
    ssize_t n = write(fd, p, left);
    if (n <= 0) return;  // a closed pipe: nobody reads
    p += n;
    left -= size_t(n);
  }
}

bool is_terminal(Stream s) { return isatty(s == Stream::kOut ? 1 : 2) == 1; }

bool ask_yes_no(const std::string& question) {
  if (!isatty(0)) return false;
  write_text(Stream::kErr, question + " [y/N] ");
  char line[64];
  if (!fgets(line, sizeof line, stdin)) return false;
  return line[0] == 'y' || line[0] == 'Y';
}

}  // namespace tw::cli
