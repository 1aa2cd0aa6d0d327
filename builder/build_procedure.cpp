#include "build_procedure.h"

#include <string.h>

#include <stdexcept>

#include "build_error.h"
#include "container_writer.h"
#include "file_io.h"
#include "message_ids.h"
#include "path_text.h"
#include "pending_target.h"
#include "run_id.h"
#include "source_scan.h"
#include "stub_resources.h"
#include "text_encoding.h"
#include "validation_host_platform.h"
#include "windows_names.h"

namespace tw {

namespace {

// The largest size an entry head can record.
const uint64_t kMaxStoredSize = 0x7FFFFFFF;

// What the build refuses before the target is touched: names Windows cannot
// hold (all of them, when asked to), a name that would split in two in the
// container (a backslash where it is no separator), sizes the format cannot
// hold.
void check_items(Platform& platform, const BuildOptions& o, const std::vector<FileItem>& items) {
  wchar_t sep = platform.separator();
  auto shown = [&](const FileItem& item) {
    return item_path(o.source_folder, item.name.substr(0, item.own_name), sep) +
           item.name.substr(item.own_name);
  };
  if (o.mode.windows_names_only) {
    std::wstring listed;
    for (size_t i : names_windows_cannot_hold(items))
      listed += (listed.empty() ? L"" : L"\r\n") + shown(items[i]);
    if (!listed.empty()) throw BuildError(kMsgNamesWindowsCannotHold, listed);
  }
  for (const FileItem& item : items) {
    if (sep != L'\\' && item.name.find(L'\\', item.own_name) != std::wstring::npos)
      throw BuildError(kMsgNameNotRepresentable, shown(item));
    if (item.size > kMaxStoredSize) throw BuildError(kMsgFileTooLarge, shown(item));
  }
}

void fill_run_id(const BuildMode& mode, char out[kRunIdDigits + 1]) {
  if (mode.run_id.empty()) {
    format_run_id(next_run_id(), out);
    return;
  }
  if (!is_run_id_text(mode.run_id)) throw std::invalid_argument("run id " + mode.run_id);
  memcpy(out, mode.run_id.c_str(), kRunIdDigits + 1);
}

OptionHeader make_header(const BuildOptions& o, const EncodedTexts& texts) {
  OptionHeader h = {};
  h.extraction_mode = o.extraction_mode;
  h.extraction_folder = o.extraction_folder;
  memcpy(h.parameters, texts.parameters.c_str(), texts.parameters.size() + 1);
  memcpy(h.custom_folder, texts.custom_folder.c_str(), texts.custom_folder.size() + 1);
  fill_run_id(o.mode, h.run_id);
  h.open_folder = o.open_folder;
  h.compressed = o.data_compressed;
  h.one_instance = o.one_instance;
  h.silent = o.silent;
  h.self_delete = o.self_delete;
  h.delete_mode = o.delete_mode;
  h.working_folder = o.working_folder;
  h.overwrite_mode = o.overwrite_mode;
  return h;
}

// Feeds the monitor with the bytes of the finished files as well.
class MonitorProgress : public FileProgress {
 public:
  MonitorProgress(BuildMonitor& m, uint64_t total) : monitor_(m), total_(total) {}
  void progress(uint64_t done, uint64_t size) override {
    monitor_.progress(done, size, done_before_, total_);
  }
  bool cancelled() override { return monitor_.cancelled(); }
  void file_finished(uint64_t size) { done_before_ += size; }

 private:
  BuildMonitor& monitor_;
  uint64_t total_;
  uint64_t done_before_ = 0;
};

class ViewSource : public EditSource {
 public:
  explicit ViewSource(std::unique_ptr<FileView> view) : view_(std::move(view)) {}
  peres::ByteView bytes() const override { return peres::ByteView(view_->data(), view_->size()); }

 private:
  std::unique_ptr<FileView> view_;
};

// The stub with the resource edits of the options, ready to be written.
peres::Bytes edited_stub(Platform& platform, const BuildOptions& o, const RunFlags& flags,
                         const CarriedResources& carried, uint32_t codepage,
                         BuildMonitor& monitor) {
  StubEdits edits;
  edits.manifest_template.assign(reinterpret_cast<const char*>(carried.manifest.data),
                                 carried.manifest.size);
  edits.codepage = codepage;
  edits.open_source = [&platform](const std::wstring& path) -> std::unique_ptr<EditSource> {
    std::unique_ptr<FileView> view = platform.view_file(path);
    if (!view) return nullptr;
    return std::make_unique<ViewSource>(std::move(view));
  };
  edits.report_failure = [&monitor](const EditFailure& f) { monitor.edit_failed(f); };
  peres::Bytes stub(carried.stub.data, carried.stub.data + carried.stub.size);
  return edit_stub_resources(stub, o, flags, edits);
}

// The file a previous build left at the target, if any: its record is left
// out however the source or the target is spelt.
struct PreviousTarget {
  bool exists = false;
  FileIdentity id;
  bool is(FileSource& file) const { return exists && same_file(file.identity(), id); }
};

PreviousTarget previous_target(Platform& platform, const BuildOptions& o) {
  PreviousTarget previous;
  previous.exists = platform.identity_of(o.target_file, &previous.id).ok();
  // The SFX file must not take the place of the file it is to run.
  FileIdentity run_file;
  if (previous.exists && o.extraction_mode == kExtractAndRun &&
      platform.identity_of(o.executable, &run_file).ok() && same_file(run_file, previous.id))
    throw BuildError(kMsgTargetIsRunFile, o.target_file);
  return previous;
}

struct Container {
  const BuildOptions& o;
  const CarriedResources& carried;
  const std::vector<FileItem>& items;
  const EncodedTexts& texts;
  const PreviousTarget& previous;
};

// Appends header, records and terminator. False when cancelled.
bool write_container(ByteSink& sink, const Container& c, BuildMonitor& monitor, Platform& platform) {
  const BuildOptions& o = c.o;
  CompressionSettings settings = compression_settings_from_environment();
  if (o.mode.threads) settings.threads = o.mode.threads;
  ContainerWriter writer(sink, o.data_compressed, settings);
  writer.on_wait([&monitor] { return monitor.waiting(); });
  writer.write_header(make_header(o, c.texts));

  if (o.self_delete) {
    EntryHead head = {kKindHelper, 0, int32_t(c.carried.self_delete.size), 0, 0};
    MemorySource helper(c.carried.self_delete.data, c.carried.self_delete.size);
    writer.write_file(head, TW_HELPER_NAME, helper, nullptr);
  }

  MonitorProgress progress(monitor, total_size(c.items));
  bool cancelled = false;
  for (size_t i = 0; i < c.items.size(); ++i) {
    if (progress.cancelled()) {
      cancelled = true;
      break;
    }
    const FileItem& item = c.items[i];
    std::wstring full = item_path(o.source_folder, item.name, platform.separator());
    if (platform.same_path(full, o.target_file)) continue;  // never pack the SFX into itself
    std::unique_ptr<FileSource> source;
    if (!(item.attributes & kAttrDirectory)) {
      source = std::make_unique<FileSource>(platform, full, item.size);
      if (c.previous.is(*source)) continue;
    }
    monitor.show_source(full);
    bool run_file = o.extraction_mode == kExtractAndRun && platform.same_path(full, o.executable);
    EntryHead head = {uint8_t(run_file ? kKindRunFile : kKindOrdinary), 0, int32_t(item.size),
                      item.dos_time, item.attributes};
    if (item.attributes & kAttrDirectory) {
      head.size = 0;
      writer.write_folder(head, c.texts.names[i]);
      continue;
    }
    if (!writer.write_file(head, c.texts.names[i], *source, &progress)) {
      cancelled = true;
      break;
    }
    source->check_at_end();
    progress.file_finished(item.size);
  }
  if (cancelled) return false;  // the chunks in flight are dropped
  writer.write_terminator();
  writer.finish();
  return true;
}

}  // namespace

BuildResult build_sfx(BuildOptions o, const RunFlags& flags, const CarriedResources& carried,
                      BuildMonitor& monitor, Platform& platform) {
  PlatformPaths paths(platform);
  normalise(&o, paths);
  monitor.show_labels(platform.own_message(kMsgInitialising), o.target_file);
  monitor.progress(0, 0, 0, 0);
  // Before the scan: a target inside the source must not take along what a
  // killed build left there.
  remove_stale_temp_targets(platform, o.target_file);
  PreviousTarget previous = previous_target(platform, o);
  std::vector<FileItem> items = scan_source(
      platform, o.source_folder, o.mode.order_by_name ? ScanOrder::kByName : ScanOrder::kAsListed);
  check_items(platform, o, items);
  EncodedTexts texts = encode_texts(platform, items, o, o.mode.codepage);

  std::wstring folder = folder_part(o.target_file, platform.separator());
  if (!folder.empty()) platform.create_folders(folder);
  // The stub is edited in memory first, so that a failed edit leaves
  // nothing half-done. The file is written under a temporary name and
  // replaces the target only when complete; failing or cancelled, it is
  // removed and the target stays.
  peres::Bytes stub = edited_stub(platform, o, flags, carried, texts.codepage, monitor);
  BuildResult result;
  result.target_existed = previous.exists;
  // A cancel during the edits (or a failed edit its front end does not
  // accept) leaves the target untouched.
  if (monitor.cancelled()) {
    monitor.finished(false);
    return result;
  }
  {
    PendingTarget target(platform, o.target_file);
    target.sink().write(stub.data(), stub.size());
    try {
      result.completed = write_container(target.sink(), {o, carried, items, texts, previous},
                                         monitor, platform);
    } catch (const ChunkPipeline::Abandoned&) {
      result.completed = false;  // cancelled while waiting for a worker
    }
    if (result.completed) target.commit();
  }
  monitor.finished(result.completed);
  return result;
}

bool build_sfx(BuildOptions options, const RunFlags& flags, const CarriedResources& carried,
               BuildMonitor& monitor) {
  return build_sfx(std::move(options), flags, carried, monitor, system_platform()).completed;
}

}  // namespace tw
