#pragma once
// The monitor of a build without a window: no progress, no cancel; at the end
// the notices the window would show.
#include "build_monitor.h"

namespace tw {

class HeadlessMonitor : public BuildMonitor {
 public:
  explicit HeadlessMonitor(bool show_success) : show_success_(show_success) {}
  void show_labels(const std::wstring&, const std::wstring&) override {}
  void show_source(const std::wstring&) override {}
  void progress(uint64_t, uint64_t, uint64_t, uint64_t) override {}
  bool cancelled() override { return false; }
  void finished(bool completed) override;

 private:
  bool show_success_;
};

}  // namespace tw
