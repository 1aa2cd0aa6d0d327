#include "container_writer.h"

#include "byte_sum.h"

namespace tw {

void ContainerWriter::write_header(const OptionHeader& header) {
  unsigned char bytes[kHeaderSize];
  encode_option_header(header, bytes);
  pipeline_.write(bytes, sizeof bytes);
}

void ContainerWriter::write_u32(uint32_t v) {
  unsigned char b[4];
  put_u32le(b, v);
  pipeline_.write(b, 4);
}

uint32_t ContainerWriter::write_head_and_name(const EntryHead& head, const std::string& name) {
  EntryHead h = head;
  h.name_length = uint32_t(name.size());
  unsigned char bytes[kEntryHeadSize];
  encode_entry_head(h, bytes);
  pipeline_.write(bytes, sizeof bytes);
  pipeline_.write(name.data(), name.size());
  return byte_sum(0, name.data(), name.size());
}

void ContainerWriter::write_folder(const EntryHead& head, const std::string& name) {
  write_u32(write_head_and_name(head, name));
}

// File body: per chunk either [raw length][stream length][zlib stream] or
// the raw bytes alone, then the checksum of name and raw data.
bool ContainerWriter::write_file(const EntryHead& head, const std::string& name,
                                 ChunkSource& source, FileProgress* progress) {
  uint32_t checksum = write_head_and_name(head, name);
  uint64_t size = head.size < 0 ? 0 : uint64_t(head.size);
  uint64_t position = 0;
  bool cancelled = false;
  while (position < size) {
    if (progress && progress->cancelled()) {
      cancelled = true;
      break;
    }
    uint32_t n = chunk_raw_length(size, position);
    unsigned char* raw = pipeline_.chunk_buffer(n);
    source.read_exact(raw, n);
    checksum = byte_sum(checksum, raw, n);
    pipeline_.commit_chunk(n);
    if (progress) progress->progress(position, size);
    position += n;
  }
  write_u32(checksum);
  if (progress) progress->progress(size, size);
  return !cancelled;
}

void ContainerWriter::write_terminator() {
  unsigned char zero[kEntryHeadSize] = {};
  pipeline_.write(zero, sizeof zero);
}

void ContainerWriter::finish() { pipeline_.flush(); }

}  // namespace tw
