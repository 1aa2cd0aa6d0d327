#pragma once
// The console tool's build monitor: a progress bar on a terminal, nothing
// otherwise; no cancel (Ctrl+C ends the process, and the next build of the
// same target removes what it left).
#include "build_monitor.h"
#include "progress_bar.h"

namespace tw::cli {

class ConsoleMonitor : public BuildMonitor {
 public:
  void show_labels(const std::wstring&, const std::wstring&) override {}
  void show_source(const std::wstring&) override {}
  void progress(uint64_t file_done, uint64_t, uint64_t done_before, uint64_t total) override {
    bar_.update(done_before + file_done, total);
  }
  bool cancelled() override { return false; }
  void finished(bool) override { bar_.clear(); }

 private:
  ProgressBar bar_;
};

}  // namespace tw::cli
