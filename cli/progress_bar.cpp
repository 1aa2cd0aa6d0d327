#include "progress_bar.h"

#include <stdio.h>

#include "console.h"
#include "size_text.h"

namespace tw::cli {

namespace {

const size_t kBarCells = 30;

std::string size_words(uint64_t n) {
  char text[48];
  size_text(int64_t(n), text, sizeof text);
  return text;
}

}  // namespace

std::string progress_line(uint64_t done, uint64_t total, size_t width) {
  if (done > total) done = total;
  size_t filled = total ? size_t(double(done) / double(total) * double(width)) : 0;
  unsigned percent = total ? unsigned(double(done) / double(total) * 100) : 0;
  char tail[24];
  snprintf(tail, sizeof tail, "] %3u%%  ", percent);
  return "[" + std::string(filled, '#') + std::string(width - filled, ' ') + tail + size_words(done) + " / " +
         size_words(total);
}

ProgressBar::ProgressBar() : shown_(is_terminal(Stream::kErr)) {}

void ProgressBar::update(uint64_t done, uint64_t total) {
  if (!shown_) return;
  std::string line = progress_line(done, total, kBarCells);
  if (line == last_) return;
  // The old line may be longer: blanks cover its end.
  std::string cover = last_.size() > line.size() ? std::string(last_.size() - line.size(), ' ') : "";
  write_text(Stream::kErr, "\r" + line + cover);
  last_ = line;
}

void ProgressBar::clear() {
  if (!shown_ || last_.empty()) return;
  write_text(Stream::kErr, "\r" + std::string(last_.size(), ' ') + "\r");
  last_.clear();
}

}  // namespace tw::cli
