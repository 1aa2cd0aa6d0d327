#pragma once
// fprogress: the modal window in which a build runs. Its start message runs
// the build inside the handler; the monitor calls update the window and let
// pending messages run, which is how the cancel button reaches the build.
#include <functional>

#include "build_monitor.h"
#include "build_options.h"
#include "carried_resources.h"
#include "window_kit.h"

namespace tw {

class ProgressWindow : public Window, public BuildMonitor {
 public:
  ProgressWindow(const RunFlags& flags, const CarriedResources& carried,
                 std::function<BuildOptions()> read_options)
      : flags_(flags), carried_(carried), read_options_(std::move(read_options)) {}

  // IDOK when the build finished, IDCANCEL when it was cancelled or failed.
  int run(HWND owner, const std::wstring& caption);

  void show_labels(const std::wstring& source, const std::wstring& target) override;
  void show_source(const std::wstring& path) override;
  void progress(uint64_t file_done, uint64_t file_size, uint64_t done_before,
                uint64_t total) override;
  bool cancelled() override { return cancel_; }
  // Lets pending messages run while the build waits for its workers.
  bool waiting() override;
  void finished(bool completed) override;

 protected:
  LRESULT handle(UINT msg, WPARAM wp, LPARAM lp) override;

 private:
  void run_build();
  // The cancel button or Esc: shows at once that the build is stopping.
  void request_cancel();
  // Lets pending messages run; true when the build is cancelled.
  bool pump();

  RunFlags flags_;
  const CarriedResources& carried_;
  std::function<BuildOptions()> read_options_;
  Font font_;
  bool cancel_ = false;
  bool building_ = false;
  bool target_existed_ = false;  // a cancel keeps it
  int file_bar_ = -1, total_bar_ = -1;
};

}  // namespace tw
