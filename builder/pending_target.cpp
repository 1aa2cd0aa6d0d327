#include "pending_target.h"

#include "build_error.h"
#include "message_ids.h"
#include "path_text.h"
#include "temp_target_name.h"

namespace tw {

void remove_stale_temp_targets(Platform& platform, const std::wstring& target) {
  wchar_t sep = platform.separator();
  std::wstring folder = folder_part(target, sep), name = name_part(target, sep);
  if (name.empty()) return;
  // The system may also match short (8.3) names: the long name decides.
  for (const std::wstring& found : platform.names_starting_with(folder, name + L".~tw"))
    if (is_temp_target_name(found, name)) platform.remove_leftover(folder, found);
}

PendingTarget::PendingTarget(Platform& platform, const std::wstring& target) : target_(target) {
  SysResult r = platform.check_replaceable(target);
  if (!r.ok() && r.kind != SysResult::kNotFound) throw BuildError(kMsgCreateFailed, target, r.code);
  wchar_t sep = platform.separator();
  uint32_t number = platform.name_seed();
  for (int attempt = 0; attempt < 64; ++attempt) {
    std::wstring temp = folder_part(target, sep) + temp_target_name(name_part(target, sep), number);
    std::unique_ptr<OutputFile> file;
    r = platform.create_new(temp, &file);
    if (r.ok()) {
      sink_ = std::make_unique<FileSink>(std::move(file), target);
      return;
    }
    if (r.kind != SysResult::kExists) throw BuildError(kMsgCreateFailed, target, r.code);
    number = number * 1664525u + 1013904223u;
  }
  throw BuildError(kMsgCreateFailed, target, r.code);
}

}  // namespace tw
