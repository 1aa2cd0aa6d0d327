#include "sfx_commands.h"

#include <memory>
#include <vector>

#include "code_page_text.h"
#include "console.h"
#include "error_words.h"
#include "exit_codes.h"
#include "extract_folder.h"
#include "list_format.h"
#include "progress_bar.h"
#include "random_file.h"
#include "record_pass.h"
#include "report.h"
#include "utf.h"

namespace tw::cli {

namespace {

struct OpenSfx {
  std::unique_ptr<RandomFile> file;
  SfxFile sfx;
  uint32_t code = 0;  // of read_sfx_file
  std::string problem;
  uint32_t codepage = 0;
};

// Opens and reads the file; false (with the exit code) when there is
// nothing to go on.
bool open_sfx(const std::string& path, OpenSfx* o, int* exit_code) {
  uint32_t error = 0;
  o->file = open_random_file(path, &error);
  if (!o->file) {
    report_error(path + ": " + error_words(error));
    *exit_code = kExitRefused;
    return false;
  }
  o->code = read_sfx_file(*o->file, &o->sfx, &o->problem);
  if (o->code == kCodeNoContainer) {
    report_error(path + ": " + o->problem + " (code 38)");
    *exit_code = int(o->code);
    return false;
  }
  o->codepage = o->sfx.codepage ? o->sfx.codepage : default_code_page();
  return true;
}

std::string text_of(uint32_t codepage, const std::string& stored) {
  std::vector<wchar_t> wide(stored.size() + 1);
  int n = decode_code_page(codepage, reinterpret_cast<const unsigned char*>(stored.data()),
                           uint32_t(stored.size()), wide.data(), uint32_t(wide.size()));
  return n < 0 ? std::string() : utf8_of(std::wstring(wide.data(), size_t(n)));
}

bool decodes(uint32_t codepage, const std::string& stored) {
  return stored.empty() || !text_of(codepage, stored).empty();
}

// The header texts as the stub reads them: a code page an SFX file can
// record, texts that are text in it, a run id of ten hexadecimal digits.
// "" when sound.
std::string header_problem(const OpenSfx& o) {
  const OptionHeader& h = o.sfx.header;
  if (o.sfx.codepage && !is_storable_code_page(o.sfx.codepage))
    return "the recorded code page " + std::to_string(o.sfx.codepage) + " is not one an SFX file can use";
  if (!decodes(o.codepage, h.parameters)) return "the run parameters are no text in code page " + std::to_string(o.codepage);
  if (!decodes(o.codepage, h.custom_folder)) return "the custom folder is no text in code page " + std::to_string(o.codepage);
  std::string id = h.run_id;
  if (id.size() != 10 || id.find_first_not_of("0123456789ABCDEFabcdef") != std::string::npos)
    return "the run id is not ten hexadecimal digits";
  return std::string();
}

// open_sfx, and the header as the stub reads it.
bool open_sound_header(const std::string& path, OpenSfx* o, int* exit_code) {
  if (!open_sfx(path, o, exit_code)) return false;
  std::string problem = header_problem(*o);
  if (problem.empty()) return true;
  report_error(path + ": " + problem + " (code 13)");
  *exit_code = 13;
  return false;
}

int decode_hook(void* ctx, const unsigned char* in, uint32_t n, wchar_t* out, uint32_t cap) {
  return decode_code_page(*static_cast<uint32_t*>(ctx), in, n, out, cap);
}

void show_progress(void* ctx, uint64_t done, uint64_t total) { static_cast<ProgressBar*>(ctx)->update(done, total); }

bool ask(void*, const wchar_t* path) {
  std::string shown = shown_path(path);
  bool yes = ask_yes_no("tarnwick-cli: " + shown + " exists; overwrite it?");
  if (!yes) report_warning(shown + ": exists, kept as it is");
  return yes;
}

// The words for a failed pass: the record or path concerned, and why.
std::string failure_words(const OpenSfx& o, const PassOutcome& r) {
  if (!r.damaged) return shown_path(r.fail_path) + ": " + error_words(r.code);
  std::string where;
  if (r.record) {
    where = "record " + std::to_string(r.record);
    if (!r.record_name.empty()) {
      std::string name = text_of(o.codepage, r.record_name);
      where += " " + quoted(name.empty() ? "(no text in code page " + std::to_string(o.codepage) + ")" : name);
    }
    where += ": ";
  }
  return where + damage_words(r.code);
}

PassOutcome run_pass(OpenSfx& o, const FileSystem* fs, const std::wstring& folder,
                     const std::vector<std::wstring>& made, uint8_t overwrite) {
  ProgressBar bar;
  PassSetup s;
  s.file = o.file.get();
  s.sfx = &o.sfx;
  s.fs = fs;
  s.folder = folder;
  s.made_folders = made;
  s.overwrite_mode = overwrite;
  s.decode = decode_hook;
  s.decode_ctx = &o.codepage;
  s.ask_overwrite = ask;
  if (bar.shown()) {
    s.progress = show_progress;
    s.progress_ctx = &bar;
  }
  return run_record_pass(s);
}

}  // namespace

int run_list(const Arguments& a) {
  OpenSfx o;
  int exit_code;
  if (!open_sfx(a.sfx, &o, &exit_code)) return exit_code;
  Listing l{a.sfx, &o.sfx, o.codepage, [&](const std::string& stored, std::string* utf8) {
              *utf8 = text_of(o.codepage, stored);
              return decodes(o.codepage, stored);
            }};
  write_text(Stream::kOut, a.json ? list_json(l) : list_text(l));
  if (o.code == 0) return kExitOk;
  report_error(a.sfx + ": " + o.problem + " (code 13)");
  return int(o.code);
}

int run_verify(const Arguments& a) {
  OpenSfx o;
  int exit_code;
  if (!open_sound_header(a.sfx, &o, &exit_code)) return exit_code;
  PassOutcome r = run_pass(o, nullptr, std::wstring(), {}, 1);
  if (r.code) {
    report_error(a.sfx + ": " + failure_words(o, r));
    return int(r.code);
  }
  write_text(Stream::kOut, a.sfx + ": " + std::to_string(o.sfx.records.size()) +
                               " records, every chunk and checksum sound\n");
  return kExitOk;
}

int run_extract(const Arguments& a) {
  OpenSfx o;
  int exit_code;
  if (!open_sound_header(a.sfx, &o, &exit_code)) return exit_code;
  std::wstring folder;
  std::vector<std::wstring> made;
  if (uint32_t e = prepare_extract_folder(a.folder, &folder, &made)) {
    report_error(a.folder + ": " + error_words(e));
    return int(e);
  }
  uint8_t overwrite = a.overwrite >= 0 ? uint8_t(a.overwrite) : o.sfx.header.overwrite_mode;
  PassOutcome r = run_pass(o, system_file_system(), folder, made, overwrite);
  if (r.code) {
    report_error((r.damaged ? a.sfx + ": " : std::string()) + failure_words(o, r));
    return int(r.code);
  }
  write_text(Stream::kOut, "extracted " + std::to_string(r.files) + " files and " + std::to_string(r.folders) +
                               " folders to " + shown_path(folder) + "\n");
  return kExitOk;
}

}  // namespace tw::cli
