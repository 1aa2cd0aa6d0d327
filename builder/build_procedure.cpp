#include "build_procedure.h"

#include <windows.h>

#include "build_error.h"
#include "container_writer.h"
#include "file_io.h"
#include "message_ids.h"
#include "messages.h"
#include "run_id.h"
#include "source_scan.h"
#include "text_codec.h"
#include "validation_host_win.h"
#include "win_paths.h"

namespace tw {

namespace {

// The largest size an entry head can record.
const uint64_t kMaxStoredSize = 0x7FFFFFFF;

std::string to_acp_or_throw(const std::wstring& text, const std::wstring& shown_path) {
  std::string bytes;
  if (!wide_to_acp_exact(text, &bytes)) throw BuildError(kMsgNameNotRepresentable, shown_path);
  return bytes;
}

// Everything that can refuse a source is checked before the target is
// touched: sizes the format cannot hold and names the code page cannot.
std::vector<std::string> checked_names(const std::vector<FileItem>& items,
                                       const std::wstring& source) {
  std::vector<std::string> names;
  names.reserve(items.size());
  for (const FileItem& item : items) {
    if (item.size > kMaxStoredSize) throw BuildError(kMsgFileTooLarge, source + item.name);
    names.push_back(to_acp_or_throw(item.name, source + item.name));
  }
  return names;
}

OptionHeader make_header(const BuildOptions& o) {
  OptionHeader h = {};
  h.extraction_mode = o.extraction_mode;
  h.extraction_folder = o.extraction_folder;
  std::string params = cut_acp(to_acp_or_throw(o.parameters, o.parameters), kParametersMax);
  std::string custom = cut_acp(to_acp_or_throw(o.custom_folder, o.custom_folder), kCustomFolderMax);
  memcpy(h.parameters, params.c_str(), params.size() + 1);
  memcpy(h.custom_folder, custom.c_str(), custom.size() + 1);
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

void delete_target(const std::wstring& target) {
  SetFileAttributesW(target.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(target.c_str());
}

// Appends header, records and terminator. False when cancelled.
bool write_container(const BuildOptions& o, const OptionHeader& header,
                     const CarriedResources& carried, const std::vector<FileItem>& items,
                     const std::vector<std::string>& names, BuildMonitor& monitor) {
  FileSink sink(o.target_file);
  ContainerWriter writer(sink, o.data_compressed, compression_settings_from_environment());
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
  if (!cancelled) writer.write_terminator();
  writer.finish();  // also after a cancel: the chunks in flight end first
  sink.close();
  return !cancelled;
}

}  // namespace

bool build_sfx(BuildOptions o, const RunFlags& flags, const CarriedResources& carried,
               BuildMonitor& monitor) {
  WinValidationHost host;
  normalise(&o, host);
  monitor.show_labels(load_message(kMsgInitialising), o.target_file);
  monitor.progress(0, 0, 0, 0);
  std::vector<FileItem> items = scan_source(o.source_folder);
  std::vector<std::string> names = checked_names(items, o.source_folder);
  OptionHeader header = make_header(o);

  create_folder_tree(parent_folder(o.target_file));
  write_new_file(o.target_file, carried.stub.data, carried.stub.size);

  bool finished;
  try {
    // The place of the resource edits (icon, version information,
    // manifest): they work on the closed stub before any data is appended.
    finished = write_container(o, header, carried, items, names, monitor);
  } catch (...) {
    delete_target(o.target_file);
    throw;
  }
  if (!finished) delete_target(o.target_file);
  monitor.finished(finished);
  return finished;
}

}  // namespace tw
