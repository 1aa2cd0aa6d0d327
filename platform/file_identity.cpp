#include "platform.h"

namespace tw {

// The volume and file number decide; where a system cannot tell them, the
// final paths do (both systems spell one file's final path one way).
bool same_file(const FileIdentity& a, const FileIdentity& b) {
  if ((a.index || a.volume) && a.index == b.index && a.volume == b.volume) return true;
  return !a.final_path.empty() && a.final_path == b.final_path;
}

}  // namespace tw
