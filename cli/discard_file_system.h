#pragma once
// File-system tables for running the stub's extraction pass without
// writing everything: `verify` runs it on one that keeps nothing (nothing
// exists there, every folder and file can be made, every write fits);
// `extract` on the system's, with the helper record's folder routed to
// nowhere, so that the helper is checked like any record but never written.
#include <string>

#include "file_system.h"

namespace tw::cli {

const FileSystem* discard_file_system();

// Paths that start with this go nowhere (no real path does).
extern const wchar_t kDiscardRoot[];

class RoutedFileSystem {
 public:
  explicit RoutedFileSystem(const FileSystem* real);
  const FileSystem* table() const { return &table_; }
  const FileSystem* real() const { return real_; }

 private:
  const FileSystem* real_;
  FileSystem table_;
};

}  // namespace tw::cli
