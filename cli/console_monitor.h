#pragma once
// The console tool's build monitor: a progress bar on a terminal, nothing
// otherwise; a failed resource edit is a warning line, or with --strict an
// error that stops the build before the target is written. No cancel
// otherwise (Ctrl+C ends the process, and the next build of the same target
// removes what it left).
#include "build_monitor.h"
#include "progress_bar.h"

namespace tw::cli {

class ConsoleMonitor : public BuildMonitor {
 public:
  explicit ConsoleMonitor(bool strict) : strict_(strict) {}
  void show_labels(const std::wstring&, const std::wstring&) override {}
  void show_source(const std::wstring&) override {}
  void progress(uint64_t file_done, uint64_t, uint64_t done_before, uint64_t total) override {
    bar_.update(done_before + file_done, total);
  }
  bool cancelled() override { return strict_ && edit_failed_; }
  void edit_failed(const EditFailure& f) override;
  void finished(bool) override { bar_.clear(); }

 private:
  ProgressBar bar_;
  bool strict_;
  bool edit_failed_ = false;
};

// "C:\app\icon.ico: the icon was not changed (truncated .ICO)"
std::string edit_failure_words(const EditFailure& f);

}  // namespace tw::cli
