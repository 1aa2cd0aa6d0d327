#pragma once
// An in-memory system behind the build core's platform, for the unit
// tests: absolute paths with "/" between parts, compared exactly. A folder
// lists its entries in reverse name order (no system's order is a sorted
// one). It can hold links and special files, fail to open or to read a
// file, fill up after a number of bytes, and refuse the final rename. Code
// pages are the POSIX platform's (iconv).
#include <cstdint>
#include <map>
#include <string>

#include "platform.h"

class FakePlatform : public tw::Platform {
 public:
  struct Node {
    tw::EntryType type = tw::EntryType::kFile;
    std::string data;
    uint32_t attributes = 0x20;
    uint32_t dos_time = 0x56E16000;
    uint64_t index = 0;
    uint32_t open_error = 0;  // opening fails with this code
    uint32_t read_error = 0;  // reading fails with this code
    bool in_use = false;      // a build is writing it
  };

  Node& add(const std::wstring& path, tw::EntryType type, const std::string& data = "");
  Node& add_file(const std::wstring& path, const std::string& data) {
    return add(path, tw::EntryType::kFile, data);
  }
  Node& add_folder(const std::wstring& path) { return add(path, tw::EntryType::kFolder); }
  // Paths under folder (one level), as the nodes hold them.
  std::map<std::wstring, std::string> files_in(const std::wstring& folder) const;

  std::map<std::wstring, Node> nodes;
  uint64_t space = UINT64_MAX;  // bytes the disk still takes
  uint32_t rename_error = 0;
  uint32_t ansi = 1252;

  wchar_t separator() const override { return L'/'; }
  std::wstring full_path(const std::wstring& path) override;
  tw::PathType path_type(const std::wstring& path) override;
  bool same_path(const std::wstring& a, const std::wstring& b) override { return a == b; }
  bool path_starts_with(const std::wstring& text, const std::wstring& prefix) override {
    return text.compare(0, prefix.size(), prefix) == 0;
  }
  void create_folders(const std::wstring& folder) override;
  tw::SysResult list_folder(const std::wstring& folder,
                            std::vector<tw::FolderEntry>* entries) override;
  tw::SysResult open_input(const std::wstring& path, std::unique_ptr<tw::InputFile>* file) override;
  std::unique_ptr<tw::FileView> view_file(const std::wstring& path) override;
  tw::SysResult identity_of(const std::wstring& path, tw::FileIdentity* id) override;
  tw::SysResult check_replaceable(const std::wstring& target) override;
  tw::SysResult create_new(const std::wstring& path, std::unique_ptr<tw::OutputFile>* file) override;
  std::vector<std::wstring> names_starting_with(const std::wstring& folder,
                                                const std::wstring& prefix) override;
  void remove_leftover(const std::wstring& folder, const std::wstring& name) override;
  uint32_t name_seed() override { return 0x0BADF00D; }
  uint32_t ansi_code_page() override { return ansi; }
  bool has_code_page(uint32_t code_page) override;
  bool encode(uint32_t code_page, const std::wstring& text, std::string* out) override;
  std::wstring error_text(uint32_t code) override { return L"error " + std::to_wstring(code); }
  std::wstring own_message(unsigned id) override { return L"message " + std::to_wstring(id); }

 private:
  Node* find(const std::wstring& path);
  uint64_t next_index_ = 1;
};
