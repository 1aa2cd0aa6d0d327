#include "build_procedure.h"

#include <windows.h>

#include "build_error.h"
#include "container_writer.h"
#include "file_io.h"
#include "mapped_file.h"
#include "message_ids.h"
#include "messages.h"
#include "pending_target.h"
#include "run_id.h"
#include "source_scan.h"
#include "stub_resources.h"
#include "text_encoding.h"
#include "validation_host_win.h"
#include "win_paths.h"

namespace tw {

namespace {

// The largest size an entry head can record.
const uint64_t kMaxStoredSize = 0x7FFFFFFF;

// Sizes the format cannot hold are refused before the target is touched.
void check_sizes(const std::vector<FileItem>& items, const std::wstring& source) {
  for (const FileItem& item : items)
    if (item.size > kMaxStoredSize) throw BuildError(kMsgFileTooLarge, source + item.name);
}

OptionHeader make_header(const BuildOptions& o, const EncodedTexts& texts) {
  OptionHeader h = {};
  h.extraction_mode = o.extraction_mode;
  h.extraction_folder = o.extraction_folder;
  memcpy(h.parameters, texts.parameters.c_str(), texts.parameters.size() + 1);
  memcpy(h.custom_folder, texts.custom_folder.c_str(), texts.custom_folder.size() + 1);
  format_run_id(next_run_id(), h.run_id);
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

// The stub with the resource edits of the options, ready to be written.
peres::Bytes edited_stub(const BuildOptions& o, const RunFlags& flags,
                         const CarriedResources& carried, uint32_t codepage) {
  StubEdits edits;
  edits.manifest_template.assign(reinterpret_cast<const char*>(carried.manifest.data),
                                 carried.manifest.size);
  edits.codepage = codepage;
  edits.open_source = map_edit_source;
  peres::Bytes stub(carried.stub.data, carried.stub.data + carried.stub.size);
  return edit_stub_resources(stub, o, flags, edits);
}

// Appends header, records and terminator. False when cancelled.
bool write_container(ByteSink& sink, const BuildOptions& o, const OptionHeader& header,
                     const CarriedResources& carried, const std::vector<FileItem>& items,
                     const std::vector<std::string>& names, BuildMonitor& monitor) {
  ContainerWriter writer(sink, o.data_compressed, compression_settings_from_environment());
  writer.on_wait([&monitor] { return monitor.waiting(); });
  writer.write_header(header);

  if (o.self_delete) {
    EntryHead head = {kKindHelper, 0, int32_t(carried.self_delete.size), 0, 0};
    MemorySource helper(carried.self_delete.data, carried.self_delete.size);
    writer.write_file(head, TW_HELPER_NAME, helper, nullptr);
  }

  MonitorProgress progress(monitor, total_size(items));
  bool cancelled = false;
  for (size_t i = 0; i < items.size(); ++i) {
    if (progress.cancelled()) {
      cancelled = true;
      break;
    }
    const FileItem& item = items[i];
    std::wstring full = o.source_folder + item.name;
    if (equal_ignoring_case(full, o.target_file)) continue;  // never pack the SFX into itself
    monitor.show_source(full);
    bool run_file = o.extraction_mode == kExtractAndRun && equal_ignoring_case(full, o.executable);
    EntryHead head = {uint8_t(run_file ? kKindRunFile : kKindOrdinary), 0, int32_t(item.size),
                      item.dos_time, item.attributes};
    if (item.attributes & kAttrDirectory) {
      head.size = 0;
      writer.write_folder(head, names[i]);
      continue;
    }
    FileSource source(full, item.size);
    if (!writer.write_file(head, names[i], source, &progress)) {
      cancelled = true;
      break;
    }
    source.check_at_end();
    progress.file_finished(item.size);
  }
  if (cancelled) return false;  // the chunks in flight are dropped
  writer.write_terminator();
  writer.finish();
  return true;
}

}  // namespace

bool build_sfx(BuildOptions o, const RunFlags& flags, const CarriedResources& carried,
               BuildMonitor& monitor) {
  WinValidationHost host;
  normalise(&o, host);
  monitor.show_labels(load_message(kMsgInitialising), o.target_file);
  monitor.progress(0, 0, 0, 0);
  // Before the scan: a target inside the source must not take along what a
  // killed build left there.
  remove_stale_temp_targets(o.target_file);
  std::vector<FileItem> items = scan_source(o.source_folder);
  check_sizes(items, o.source_folder);
  EncodedTexts texts = encode_texts(items, o);
  OptionHeader header = make_header(o, texts);

  create_folder_tree(parent_folder(o.target_file));
  // The stub is edited in memory first, so that a failed edit leaves
  // nothing half-done. The file is written under a temporary name and
  // replaces the target only when complete; failing or cancelled, it is
  // removed and the target stays.
  peres::Bytes stub = edited_stub(o, flags, carried, texts.codepage);
  bool finished;
  {
    PendingTarget target(o.target_file);
    target.sink().write(stub.data(), stub.size());
    try {
      finished = write_container(target.sink(), o, header, carried, items, texts.names, monitor);
    } catch (const ChunkPipeline::Abandoned&) {
      finished = false;  // cancelled while waiting for a worker
    }
    if (finished) target.commit();
  }
  monitor.finished(finished);
  return finished;
}

}  // namespace tw
