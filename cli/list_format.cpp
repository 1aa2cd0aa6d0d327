#include "list_format.h"

#include <stdio.h>

#include "option_words.h"

namespace tw::cli {

namespace {

struct Totals {
  uint64_t folders = 0, files = 0, size = 0, stored = 0;
};

Totals totals_of(const SfxFile& s) {
  Totals t;
  for (const SfxRecord& r : s.records) {
    if (r.head.kind == kKindHelper) continue;
    if (is_directory(r.head)) {
      ++t.folders;
    } else {
      ++t.files;
      t.size += uint64_t(r.head.size);
      t.stored += r.stored;
    }
  }
  return t;
}

const char* kind_word(const SfxRecord& r) {
  if (is_directory(r.head)) return "folder";
  switch (r.head.kind) {
    case kKindOrdinary: return "file";
    case kKindRunFile: return "run";
    case kKindHelper: return "helper";
  }
  return "unknown";
}

// Bytes that are no text in the code page show as \xNN.
std::string shown(const Listing& l, const std::string& stored) {
  std::string text;
  if (l.decode(stored, &text)) return text;
  text.clear();
  for (unsigned char c : stored) {
    char hex[8];
    snprintf(hex, sizeof hex, "\\x%02X", c);
    text += c < 0x80 ? std::string(1, char(c)) : std::string(hex);
  }
  return text;
}

const SfxRecord* run_record(const SfxFile& s) {
  for (const SfxRecord& r : s.records)
    if (r.head.kind == kKindRunFile && !is_directory(r.head)) return &r;
  return nullptr;
}

std::string yes_no(uint8_t v) { return v ? "yes" : "no"; }

std::string field(const char* name, const std::string& value) {
  std::string line = name;
  line.resize(14, ' ');
  return line + value + "\n";
}

std::string flags_text(const OptionHeader& h) {
  std::string out;
  auto add = [&](bool on, const char* word) {
    if (on) out += (out.empty() ? "" : ", ") + std::string(word);
  };
  add(h.silent, "silent");
  add(h.one_instance, "one-instance");
  add(h.self_delete, "self-delete");
  add(h.open_folder, "open-folder");
  return out.empty() ? "none" : out;
}

std::string number(uint64_t v) { return std::to_string(v); }

}  // namespace

std::string dos_time_text(uint32_t t, char sep) {
  if (t == 0) return std::string();
  char out[32];
  unsigned date = t >> 16, time = t & 0xFFFF;
  snprintf(out, sizeof out, "%04u-%02u-%02u%c%02u:%02u:%02u", 1980 + (date >> 9), (date >> 5) & 15,
           date & 31, sep, time >> 11, (time >> 5) & 63, (time & 31) * 2);
  return out;
}

std::string attribute_letters(uint32_t a) {
  static const struct {
    uint32_t bit;
    char letter;
  } kBits[] = {{0x10, 'D'}, {0x01, 'R'}, {0x02, 'H'}, {0x04, 'S'}, {0x20, 'A'}};
  std::string out;
  for (const auto& b : kBits) out += (a & b.bit) ? b.letter : '-';
  return out;
}

std::string json_string(const std::string& s) {
  std::string out = "\"";
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += char(c);
    } else if (c < 0x20) {
      char esc[8];
      snprintf(esc, sizeof esc, "\\u%04x", c);
      out += esc;
    } else {
      out += char(c);
    }
  }
  return out + "\"";
}

std::string list_text(const Listing& l) {
  const SfxFile& s = *l.sfx;
  const OptionHeader& h = s.header;
  const SfxRecord* run = run_record(s);
  std::string out = field("file:", l.path);
  out += field("stub:", number(s.stub_size) + " bytes, " +
                            (s.certificate ? "with a certificate table (Authenticode)" : "no certificate table"));
  out += field("code page:", number(l.codepage) + (s.codepage ? "" : " (none recorded)"));
  out += field("run id:", h.run_id);
  out += field("mode:", h.extraction_mode == 1 ? "run " + (run ? shown(l, run->name) : "(no run file)")
                                               : std::string("extract"));
  out += field("parameters:", shown(l, h.parameters));
  std::string folder = word_of_value(kFolderWords, h.extraction_folder);
  if (h.extraction_folder == 5) folder += " " + shown(l, h.custom_folder);
  out += field("folder:", folder);
  out += field("overwrite:", word_of_value(kOverwriteWords, h.overwrite_mode));
  out += field("clean-up:", word_of_value(kDeleteWords, h.delete_mode));
  out += field("workdir:", word_of_value(kWorkdirWords, h.working_folder));
  out += field("uac:", word_of_value(kUacWords, s.uac));
  out += field("flags:", flags_text(h));
  out += field("compressed:", yes_no(h.compressed));
  out += "\nkind         size  time                 attr   name\n";
  for (const SfxRecord& r : s.records) {
    char line[96];
    snprintf(line, sizeof line, "%-6s %10lld  %-19s  %s  ", kind_word(r), static_cast<long long>(r.head.size),
             dos_time_text(r.head.dos_time, ' ').c_str(), attribute_letters(r.head.attributes).c_str());
    out += line + shown(l, r.name) + "\n";
  }
  Totals t = totals_of(s);
  out += "\n" + field("totals:", number(t.folders) + " folders, " + number(t.files) + " files, " +
                                     number(t.size) + " bytes in " + number(t.stored) + " stored");
  return out;
}

std::string list_json(const Listing& l) {
  const SfxFile& s = *l.sfx;
  const OptionHeader& h = s.header;
  const SfxRecord* run = run_record(s);
  auto boolean = [](uint8_t v) { return std::string(v ? "true" : "false"); };
  auto word = [](const WordTable& t, uint8_t v) { return json_string(word_of_value(t, v)); };
  std::string out = "{\n  \"format\": 1,\n  \"file\": " + json_string(l.path) + ",\n";
  out += "  \"stub_size\": " + number(s.stub_size) + ",\n";
  out += "  \"certificate_table\": " + boolean(s.certificate) + ",\n";
  out += "  \"code_page\": " + number(l.codepage) + ",\n";
  out += "  \"code_page_recorded\": " + boolean(s.codepage != 0) + ",\n";
  out += "  \"run_id\": " + json_string(h.run_id) + ",\n";
  out += "  \"options\": {\n";
  out += "    \"mode\": " + json_string(h.extraction_mode == 1 ? "run" : "extract") + ",\n";
  out += "    \"run_file\": " + (run ? json_string(shown(l, run->name)) : "null") + ",\n";
  out += "    \"parameters\": " + json_string(shown(l, h.parameters)) + ",\n";
  out += "    \"folder\": " + word(kFolderWords, h.extraction_folder) + ",\n";
  out += "    \"custom_folder\": " + json_string(shown(l, h.custom_folder)) + ",\n";
  out += "    \"overwrite\": " + word(kOverwriteWords, h.overwrite_mode) + ",\n";
  out += "    \"delete\": " + word(kDeleteWords, h.delete_mode) + ",\n";
  out += "    \"workdir\": " + word(kWorkdirWords, h.working_folder) + ",\n";
  out += "    \"uac\": " + word(kUacWords, s.uac) + ",\n";
  out += "    \"open_folder\": " + boolean(h.open_folder) + ",\n";
  out += "    \"one_instance\": " + boolean(h.one_instance) + ",\n";
  out += "    \"silent\": " + boolean(h.silent) + ",\n";
  out += "    \"self_delete\": " + boolean(h.self_delete) + ",\n";
  out += "    \"compressed\": " + boolean(h.compressed) + "\n  },\n";
  out += "  \"records\": [";
  for (size_t i = 0; i < s.records.size(); ++i) {
    const SfxRecord& r = s.records[i];
    out += std::string(i ? "," : "") + "\n    {\"kind\": " + json_string(kind_word(r)) +
           ", \"name\": " + json_string(shown(l, r.name)) + ", \"size\": " + number(uint64_t(r.head.size)) +
           ", \"time\": " + json_string(dos_time_text(r.head.dos_time, 'T')) +
           ", \"dos_time\": " + number(r.head.dos_time) + ", \"attributes\": " + number(r.head.attributes) +
           ", \"stored\": " + number(r.stored) + ", \"chunks\": " + number(r.chunks) + "}";
  }
  Totals t = totals_of(s);
  out += std::string(s.records.empty() ? "" : "\n  ") + "],\n";
  out += "  \"totals\": {\"folders\": " + number(t.folders) + ", \"files\": " + number(t.files) +
         ", \"size\": " + number(t.size) + ", \"stored\": " + number(t.stored) + "}\n}\n";
  return out;
}

}  // namespace tw::cli
