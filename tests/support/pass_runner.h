#pragma once
// Runs the extraction pass over records in memory on a fake file system:
// shared by the unit tests and the fuzz target.
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../../stub/extract_pass.h"
#include "fake_file_system.h"

struct PassRunner {
  FakeFileSystem fs;
  std::vector<unsigned char> records;
  PathList extracted{}, created{};
  std::wstring run_path, helper_path;
  const wchar_t* fail_path = nullptr;
  bool answer = true;  // to the overwrite question
  int asked = 0;
  std::function<void()> during;  // called as the data goes
  // The records go through a ring of this many slots of the smallest size
  // (each slot handed over as soon as it is full); 0: straight on.
  uint32_t queue_slots = 0;

  PassRunner() {
    fs.add_folder(L"C:");
    fs.add_folder(L"C:\\out");
    fs.add_folder(L"C:\\temp");
  }
  ~PassRunner() {
    extracted.clear();
    created.clear();
  }
  // Runs the pass; returns the code.
  uint32_t run(uint8_t overwrite_mode = 1, bool self_delete = false, bool compressed = true);
  std::string data(const std::wstring& path) const;
  bool has(const std::wstring& path) const { return fs.nodes.count(path) != 0; }
};
