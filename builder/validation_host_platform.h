#pragma once
// Validation's questions about paths and files, answered by a platform. A
// front end derives from it and adds its words, its questions and where it
// keeps the options (validation.h).
#include "platform.h"
#include "validation.h"

namespace tw {

class PlatformValidationHost : public ValidationHost {
 public:
  explicit PlatformValidationHost(Platform& platform) : platform_(platform) {}
  std::wstring full_path(const std::wstring& path) override { return platform_.full_path(path); }
  wchar_t separator() const override { return platform_.separator(); }
  bool directory_exists(const std::wstring& path) override {
    return platform_.path_type(path) == PathType::kFolder;
  }
  bool file_exists(const std::wstring& path) override {
    return platform_.path_type(path) == PathType::kFile;
  }
  bool starts_with_ignoring_case(const std::wstring& text, const std::wstring& prefix) override {
    return platform_.path_starts_with(text, prefix);
  }

 protected:
  Platform& platform_;
};

// Normalisation against a platform, for the build itself.
class PlatformPaths : public PathHost {
 public:
  explicit PlatformPaths(Platform& platform) : platform_(platform) {}
  std::wstring full_path(const std::wstring& path) override { return platform_.full_path(path); }
  wchar_t separator() const override { return platform_.separator(); }

 private:
  Platform& platform_;
};

}  // namespace tw
