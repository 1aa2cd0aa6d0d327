#include "stub_resources.h"

#include <new>

#include "build_error.h"
#include "message_ids.h"
#include "resource_edits.h"
#include "validation.h"

namespace tw {

namespace {

bool has_ico_extension(const std::wstring& path) {
  size_t dot = path.find_last_of(L".\\/");
  if (dot == std::wstring::npos || path[dot] != L'.') return false;
  std::wstring ext = path.substr(dot);
  for (wchar_t& c : ext)
    if (c >= L'a' && c <= L'z') c = wchar_t(c - 32);
  return ext == L".ICO";
}

void report(const StubEdits& e, EditFailure::Edit edit, const std::wstring& path,
            const char* reason) {
  if (e.report_failure) e.report_failure(EditFailure{edit, path, reason});
}

// Opens the source and runs the edit with it; a source that cannot be
// opened, or needs more memory than there is, is a failed edit.
template <typename Edit>
void with_source(const StubEdits& e, EditFailure::Edit which, const std::wstring& path,
                 peres::Bytes* stub, Edit edit) {
  const char* reason = nullptr;
  try {
    std::unique_ptr<EditSource> source = e.open_source(path);
    if (!source)
      reason = "cannot read the file";
    else if (peres::Result r = edit(source->bytes(), stub); !r)
      reason = r.text();
  } catch (const std::bad_alloc&) {
    reason = "out of memory";
  }
  if (reason) report(e, which, path, reason);
}

}  // namespace

std::string uac_manifest(std::string text, uint8_t level) {
  static const std::string kAdministrator = "requireAdministrator";
  size_t at = text.find(kAdministrator);
  if (level == 1 && at != std::string::npos) text.replace(at, kAdministrator.size(), "highestAvailable");
  return text;
}

peres::Bytes edit_stub_resources(const peres::Bytes& stub, const BuildOptions& o,
                                 const RunFlags& flags, const StubEdits& e) {
  using namespace peres;
  Bytes out = stub;
  std::wstring icon = trim(o.icon_file);
  bool run_mode = o.extraction_mode == kExtractAndRun;
  if (!icon.empty() && has_ico_extension(icon))
    with_source(e, EditFailure::kIcon, icon, &out, ReplaceIconFromIco);
  else if (!icon.empty())
    with_source(e, EditFailure::kIcon, icon, &out, CopyIconFromExecutable);
  else if (run_mode)
    with_source(e, EditFailure::kIcon, o.executable, &out, CopyIconFromExecutable);

  if (!o.mode.version_file.empty())
    with_source(e, EditFailure::kVersion, o.mode.version_file, &out, CopyVersionInfo);
  else if (!icon.empty() && flags.copy_version_from_icon)
    with_source(e, EditFailure::kVersion, icon, &out, CopyVersionInfo);
  else if (run_mode)
    with_source(e, EditFailure::kVersion, o.executable, &out, CopyVersionInfo);

  if (o.uac_elevation == 1 || o.uac_elevation == 2) {
    std::string text = uac_manifest(e.manifest_template, o.uac_elevation);
    Result r = WriteResource(&out, ResName::number(kRtManifest), ResName::number(1),
                             Bytes(text.begin(), text.end()));
    if (!r) report(e, EditFailure::kManifest, std::wstring(), r.text());
  }

  // Without the record the stub would read the names in its system's code
  // page: a stub that cannot take it is not fit to be used.
  Bytes codepage(4);
  put_u32(codepage, 0, e.codepage);
  if (!WriteResourceInLanguage(&out, ResName::number(kRtRcData), ResName::string(u"CODEPAGE"), 0,
                               codepage))
    throw BuildError(kMsgDamagedProgram, std::wstring());
  return out;
}

}  // namespace tw
