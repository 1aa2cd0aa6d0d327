#pragma once
// The resource edits of a new SFX file: icon, version information, UAC
// manifest and the record of the code page its texts are encoded in. They
// work on the stub's bytes in memory; the target is written once, after
// them, so a failed edit never leaves a half-edited file behind.
#include <stdint.h>

#include <functional>
#include <memory>
#include <string>

#include "build_monitor.h"
#include "build_options.h"
#include "bytes.h"

namespace tw {

// A file an edit reads (an icon file or an executable); its bytes stay
// valid while it lives.
class EditSource {
 public:
  virtual ~EditSource() = default;
  virtual peres::ByteView bytes() const = 0;
};

// Opens a source; nullptr when it cannot (the edit that needs it fails).
using OpenEditSource = std::function<std::unique_ptr<EditSource>(const std::wstring& path)>;

struct StubEdits {
  std::string manifest_template;  // the carried "XML"/"UAC" text
  uint32_t codepage = 0;          // of the names, parameters and custom folder
  OpenEditSource open_source;
  std::function<void(const EditFailure&)> report_failure;  // may be empty
};

// The stub with the edits the options ask for: icon from the icon file (an
// ".ICO" file, else an executable) or, in run mode without one, from the
// file to run; version information from the build mode's version file,
// else from the icon file with -iv, else in run mode from the file to run; the manifest for UAC levels 1 and 2; the
// code page as RCDATA "CODEPAGE". An edit that fails is left out and
// reported, and the others still happen; only a stub that cannot take the
// code-page record throws BuildError (the carried stub is damaged).
peres::Bytes edit_stub_resources(const peres::Bytes& stub, const BuildOptions& o,
                                 const RunFlags& flags, const StubEdits& edits);

// The carried manifest for a UAC level: level 1 asks for the highest
// available rights instead of the administrator's.
std::string uac_manifest(std::string text, uint8_t level);

}  // namespace tw
