#pragma once
// What a build reports to its caller, the progress window or the headless
// start-up, and how the caller cancels it. The build itself shows nothing.
#include <stdint.h>

#include <string>

namespace tw {

// A resource edit of the stub that failed. The build goes on without it:
// the stub keeps its own icon or version information, or has no manifest.
struct EditFailure {
  enum Edit { kIcon, kVersion, kManifest };
  Edit edit;
  std::wstring source;  // the file the edit read; empty for the manifest
  std::string reason;   // short English words: "no icon group", "truncated .ICO", ...
};

class BuildMonitor {
 public:
  virtual ~BuildMonitor() = default;
  virtual void show_labels(const std::wstring& source, const std::wstring& target) = 0;
  virtual void show_source(const std::wstring& path) = 0;
  // file_done of file_size bytes of the current file; done_before bytes of
  // the finished files; total bytes of all. Lets pending messages run.
  virtual void progress(uint64_t file_done, uint64_t file_size, uint64_t done_before,
                        uint64_t total) = 0;
  virtual bool cancelled() = 0;
  // A resource edit failed; the build goes on and ends as it would have.
  virtual void edit_failed(const EditFailure&) {}
  // Called every few tens of milliseconds while the build waits for its
  // compression workers: a window lets pending messages run. True when the
  // build is cancelled meanwhile.
  virtual bool waiting() { return cancelled(); }
  // The end of a build that did not fail: completed, or cancelled (the
  // target is deleted by then). Failures arrive as BuildError instead.
  virtual void finished(bool completed) = 0;
};

}  // namespace tw
