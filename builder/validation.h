#pragma once
// Normalisation and validation of Build options before a build may start.
#include <string>

#include "build_options.h"

namespace tw {

// What normalisation needs from the system.
class PathHost {
 public:
  virtual ~PathHost() = default;
  // Absolute form of a path; returns the text unchanged when it cannot.
  virtual std::wstring full_path(const std::wstring& path) = 0;
  // What ends the source folder's path.
  virtual wchar_t separator() const { return L'\\'; }
};

// What validation needs from the system; validation_host_platform.h answers
// the questions about files from a platform, the window maker adds the
// registry and its boxes (win/validation_host_win.h), tests use a fake.
class ValidationHost : public PathHost {
 public:
  virtual bool directory_exists(const std::wstring& path) = 0;
  virtual bool file_exists(const std::wstring& path) = 0;
  virtual bool starts_with_ignoring_case(const std::wstring& text, const std::wstring& prefix) = 0;
  // Stores the options for the next window start; failures stay silent.
  virtual void save_options(const BuildOptions& options) = 0;
  virtual std::wstring message(unsigned id) = 0;
  virtual void show_error(const std::wstring& text) = 0;
  // A yes/no question with No as the default; true for Yes.
  virtual bool ask_no_default(const std::wstring& text) = 0;
};

// Characters up to the blank are cut from both ends.
std::wstring trim(const std::wstring& s);

// Replaces each "%s" in turn by the next argument.
std::wstring format_message(const std::wstring& pattern, std::initializer_list<std::wstring> args);

void normalise(BuildOptions* o, PathHost& host);

// True when the build may start. Shows its own messages.
bool validate(BuildOptions* o, const RunFlags& flags, ValidationHost& host);

}  // namespace tw
