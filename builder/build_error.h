#pragma once
// The error that ends a build: a file that cannot be read or written, a
// compression failure, or a source that cannot be stored. It carries what
// the caller needs to word the message: a message id of the maker's string
// table and/or a system error code, and the path concerned.
#include <string>

namespace tw {

class BuildError {
 public:
  BuildError(unsigned message_id, std::wstring path, unsigned system_error = 0)
      : message_id_(message_id), system_error_(system_error), path_(std::move(path)) {}
  static BuildError system(unsigned system_error, std::wstring path = std::wstring()) {
    return BuildError(0, std::move(path), system_error);
  }

  unsigned message_id() const { return message_id_; }
  unsigned system_error() const { return system_error_; }
  const std::wstring& path() const { return path_; }

 private:
  unsigned message_id_;
  unsigned system_error_;
  std::wstring path_;
};

}  // namespace tw
