#pragma once
// An in-memory file system behind the extraction pass's table, for the
// unit tests and the fuzz target. Paths are absolute with backslashes and
// compared exactly. It can hold links (a folder link shows the reparse
// attribute, a file link does not, as under Wine), fill up after a number
// of bytes (the write that crosses the limit is cut short), and refuse
// renames. Files keep the attributes they were created with.
#include <cstdint>
#include <map>
#include <string>

#include "../../stub/file_system.h"

class FakeFileSystem {
 public:
  struct Node {
    bool folder = false;
    std::string data;
    uint32_t attributes = 0x20;
    uint32_t dos_time = 0;
    std::wstring link;  // not empty: a link to this absolute path
  };

  FakeFileSystem();
  const tw::FileSystem* table() const { return &table_; }

  void add_folder(const std::wstring& path) { nodes[path].folder = true; }
  void add_file(const std::wstring& path, const std::string& data) { nodes[path].data = data; }
  void add_link(const std::wstring& path, const std::wstring& target) { nodes[path].link = target; }

  std::map<std::wstring, Node> nodes;
  uint64_t space = UINT64_MAX;  // bytes the disk still takes
  bool refuse_rename = false;
  int open_files = 0;

  // The path with every link on the way followed ("" after too many).
  std::wstring resolve(const std::wstring& path) const;

 private:
  tw::FileSystem table_;
};
