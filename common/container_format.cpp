#include "container_format.h"

#include <string.h>

namespace tw {

namespace {

void put_text(unsigned char* field, size_t field_size, const char* text) {
  size_t n = strlen(text);
  if (n > field_size - 1) n = field_size - 1;
  memcpy(field, text, n);
}

void get_text(const unsigned char* field, size_t field_size, char* out) {
  memcpy(out, field, field_size - 1);
  out[field_size - 1] = 0;
}

}  // namespace

void encode_option_header(const OptionHeader& h, unsigned char out[kHeaderSize]) {
  memset(out, 0, kHeaderSize);
  out[kOffExtractionMode] = h.extraction_mode;
  out[kOffExtractionFolder] = h.extraction_folder;
  put_text(out + kOffParameters, kParametersMax + 1, h.parameters);
  put_text(out + kOffCustomFolder, kCustomFolderMax + 1, h.custom_folder);
  put_text(out + kOffRunId, kRunIdDigits + 1, h.run_id);
  out[kOffOpenFolder] = h.open_folder;
  out[kOffCompressed] = h.compressed;
  out[kOffOneInstance] = h.one_instance;
  out[kOffSilent] = h.silent;
  out[kOffSelfDelete] = h.self_delete;
  out[kOffDeleteMode] = h.delete_mode;
  out[kOffWorkingFolder] = h.working_folder;
  out[kOffOverwriteMode] = h.overwrite_mode;
}

void decode_option_header(const unsigned char in[kHeaderSize], OptionHeader* h) {
  h->extraction_mode = in[kOffExtractionMode];
  h->extraction_folder = in[kOffExtractionFolder];
  get_text(in + kOffParameters, kParametersMax + 1, h->parameters);
  get_text(in + kOffCustomFolder, kCustomFolderMax + 1, h->custom_folder);
  get_text(in + kOffRunId, kRunIdDigits + 1, h->run_id);
  h->open_folder = in[kOffOpenFolder];
  h->compressed = in[kOffCompressed];
  h->one_instance = in[kOffOneInstance];
  h->silent = in[kOffSilent];
  h->self_delete = in[kOffSelfDelete];
  h->delete_mode = in[kOffDeleteMode];
  h->working_folder = in[kOffWorkingFolder];
  h->overwrite_mode = in[kOffOverwriteMode];
}

void encode_entry_head(const EntryHead& e, unsigned char out[kEntryHeadSize]) {
  out[0] = e.kind;
  put_u32le(out + 1, e.name_length);
  put_u32le(out + 5, uint32_t(e.size));
  put_u32le(out + 9, e.dos_time);
  put_u32le(out + 13, e.attributes);
}

void decode_entry_head(const unsigned char in[kEntryHeadSize], EntryHead* e) {
  e->kind = in[0];
  e->name_length = get_u32le(in + 1);
  e->size = int32_t(get_u32le(in + 5));
  e->dos_time = get_u32le(in + 9);
  e->attributes = get_u32le(in + 13);
}

void format_run_id(uint32_t value, char out[kRunIdDigits + 1]) {
  static const char kHex[] = "0123456789ABCDEF";
  // A 32-bit value never needs more than 8 digits, so the field is always
  // left-padded with zeros to its 10 digits.
  for (int i = int(kRunIdDigits) - 1; i >= 0; --i) {
    out[i] = kHex[value & 15];
    value >>= 4;
  }
  out[kRunIdDigits] = 0;
}

}  // namespace tw
