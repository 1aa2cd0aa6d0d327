#pragma once
// The set of choices that describes one SFX file to be made. Filled from the
// command line or from the main window, validated, then built.
#include <stdint.h>

#include <string>

namespace tw {

enum ExtractionMode : uint8_t { kExtractOnly = 0, kExtractAndRun = 1 };
enum ExtractionFolder : uint8_t {
  kFolderTemp = 0,
  kFolderDesktop = 1,
  kFolderDocuments = 2,
  kFolderCurrent = 3,
  kFolderAsk = 4,
  kFolderCustom = 5
};

// How a build lists and names what it stores. The window maker keeps the
// defaults; the console tool chooses.
struct BuildMode {
  // Within a folder: the file system's order, or by name without regard to
  // case (the same on every system).
  bool order_by_name = false;
  // 0: the ANSI code page, or UTF-8 when a text does not fit it; else this
  // code page for every text (65001: UTF-8), a text that does not fit
  // being refused.
  uint32_t codepage = 0;
  // Refuse, before anything is written, every name a Windows folder cannot
  // hold (windows_names.h).
  bool windows_names_only = false;
  // 10 uppercase hexadecimal digits (run_id.h); empty: a random one.
  std::string run_id;
  // Compression workers, 1 to 64; 0: as the environment says (or one per
  // processor). The output does not depend on it.
  unsigned threads = 0;
  // The executable to take the version information from, instead of the
  // icon file (-iv) or the file to run; absolute. Empty: the maker's rule.
  std::wstring version_file;
};

struct BuildOptions {
  std::wstring source_folder;
  std::wstring target_file;
  std::wstring icon_file;
  std::wstring executable;
  std::wstring parameters;
  std::wstring custom_folder;
  uint8_t extraction_mode = kExtractOnly;
  uint8_t extraction_folder = kFolderTemp;
  bool open_folder = false;
  bool data_compressed = true;
  bool one_instance = false;
  bool silent = false;
  bool self_delete = false;
  uint8_t delete_mode = 0;     // 0 when the run ends, 1 at reboot, 2 never
  uint8_t working_folder = 0;  // 0 extraction folder, 1 SFX folder, 2 current
  uint8_t uac_elevation = 0;   // 0 none, 1 highest available, 2 administrator
  uint8_t overwrite_mode = 0;  // 0 ask, 1 overwrite all, 2 skip all
  BuildMode mode;
};

// Process-wide flags the start-up derives from the command line; they steer
// validation and the build as well.
struct RunFlags {
  bool overwrite_target = false;   // -o: replace an existing target silently
  bool show_success = true;        // cleared by -c
  bool headless = false;           // -h
  bool enough_parameters = false;  // every required positional was given
  bool copy_version_from_icon = false;  // -iv
};

}  // namespace tw
