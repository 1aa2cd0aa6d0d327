#pragma once
// File-system tables for running the stub's extraction pass without
// writing everything: `verify` runs it on one that keeps nothing but the
// names of the folders it was asked to make (every file can be made, every
// write fits); `extract` on the system's, with the helper record's folder
// routed to such a one, so that the helper is checked like any record but
// never written.
#include <set>
#include <string>

#include "file_system.h"

namespace tw::cli {

// Paths that start with this go nowhere (no real path does).
extern const wchar_t kDiscardRoot[];

class DiscardFileSystem {
 public:
  DiscardFileSystem();
  const FileSystem* table() const { return &table_; }

  std::set<std::wstring> folders;  // made so far

 private:
  FileSystem table_;
};

// The real table, except for paths below kDiscardRoot.
class RoutedFileSystem {
 public:
  explicit RoutedFileSystem(const FileSystem* real);
  const FileSystem* table() const { return &table_; }

  const FileSystem* real;
  DiscardFileSystem nowhere;
  size_t real_files_closed = 0;  // once the pass succeeded: the files it wrote

 private:
  FileSystem table_;
};

}  // namespace tw::cli
