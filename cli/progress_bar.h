#pragma once
// A progress bar on standard error, drawn only when that is a terminal (a
// script's log gets nothing of it).
#include <stddef.h>
#include <stdint.h>

#include <string>

namespace tw::cli {

// "[#######             ]  35%  12.34 MB / 35.26 MB" with a bar of width
// cells.
std::string progress_line(uint64_t done, uint64_t total, size_t width);

class ProgressBar {
 public:
  ProgressBar();  // shown when standard error is a terminal
  ~ProgressBar() { clear(); }
  ProgressBar(const ProgressBar&) = delete;
  ProgressBar& operator=(const ProgressBar&) = delete;

  bool shown() const { return shown_; }
  // Redraws when the line would change.
  void update(uint64_t done, uint64_t total);
  // Removes the line (before a message or at the end).
  void clear();

 private:
  bool shown_;
  std::string last_;
};

}  // namespace tw::cli
