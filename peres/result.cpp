#include "result.h"

namespace tw::peres {

const char* fault_text(Fault fault) {
  switch (fault) {
    case Fault::kNone: return "done";
    case Fault::kNotPe: return "not a PE file";
    case Fault::kDamaged: return "damaged resources";
    case Fault::kLargerThanFile: return "resources larger than the file";
    case Fault::kOverCap: return "resources larger than 16 MiB";
    case Fault::kNoIconGroup: return "no icon group";
    case Fault::kDamagedIconGroup: return "damaged icon group";
    case Fault::kMissingIconImage: return "icon image missing";
    case Fault::kNoVersionInfo: return "no version information";
    case Fault::kTruncatedIco: return "truncated .ICO";
    case Fault::kTargetRefused: return "the stub cannot take the edit";
  }
  return "unknown";
}

}  // namespace tw::peres
