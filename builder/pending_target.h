#pragma once
// A new SFX file is written beside its target under a temporary name
// (temp_target_name.h) and takes the target's name only once it is complete,
// so that a build that fails, is cancelled or is killed never costs the
// previous file.
#include <string>

#include "file_io.h"

namespace tw {

// Removes the temporary files that killed builds of this target left
// behind. A file still in use (another build writing it) stays.
void remove_stale_temp_targets(const std::wstring& target);

class PendingTarget {
 public:
  // Checks that the target could be replaced, then creates the temporary
  // file. Failures throw BuildError naming the target.
  explicit PendingTarget(const std::wstring& target);
  // Unless committed, the temporary file is closed and removed.
  ~PendingTarget();
  PendingTarget(const PendingTarget&) = delete;
  PendingTarget& operator=(const PendingTarget&) = delete;

  ByteSink& sink() { return sink_; }
  // Writes out the rest, flushes it to the disk and renames the file over
  // the target.
  void commit();

 private:
  std::wstring target_;
  std::wstring temp_;
  FileSink sink_;
  bool committed_ = false;
};

}  // namespace tw
