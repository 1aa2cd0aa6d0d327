#pragma once
// A new SFX file is written beside its target under a temporary name
// (temp_target_name.h) and takes the target's name only once it is complete,
// so that a build that fails, is cancelled or is killed never costs the
// previous file.
#include <string>

#include "file_io.h"
#include "platform.h"

namespace tw {

// Removes the temporary files that killed builds of this target left
// behind: plain files of that name form only (platform.h). A file still in
// use (another build writing it), a link, or anything else stays.
void remove_stale_temp_targets(Platform& platform, const std::wstring& target);

class PendingTarget {
 public:
  // Checks that the target could be replaced, then creates the temporary
  // file. Failures throw BuildError naming the target.
  PendingTarget(Platform& platform, const std::wstring& target);
  // Unless committed, the temporary file is removed.
  ~PendingTarget() = default;
  PendingTarget(const PendingTarget&) = delete;
  PendingTarget& operator=(const PendingTarget&) = delete;

  ByteSink& sink() { return *sink_; }
  // Writes out the rest, flushes it to the disk and gives the file the
  // target's name.
  void commit() { sink_->commit(target_); }

 private:
  std::wstring target_;
  std::unique_ptr<FileSink> sink_;
};

}  // namespace tw
