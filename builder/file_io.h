#pragma once
// File ends of the container writer: the target written through a buffer,
// and a source file read chunk by chunk.
#include <string>
#include <vector>

#include "container_writer.h"
#include "win_handle.h"

namespace tw {

// Which file a path or an open handle reaches, whatever its spelling (drive,
// short name, letter case, links): the volume and file index of an open
// handle, and its final path.
struct FileIdentity {
  uint32_t volume = 0;
  uint64_t index = 0;
  std::wstring final_path;
};
bool same_file(const FileIdentity& a, const FileIdentity& b);
// False when nothing can be opened at path.
bool identity_of(const std::wstring& path, FileIdentity* out);

class FileSink : public ByteSink {
 public:
  // Writes through file, an open file; errors name shown_path.
  FileSink(FileHandle file, std::wstring shown_path);
  ~FileSink() override;
  void write(const void* data, size_t n) override;
  void close();    // writes out the rest, flushes it to the disk; throws on failure
  // Deletes the file through its handle (opened with DELETE access) and
  // closes it, without writing out the rest.
  void discard();

 private:
  void flush();
  std::wstring path_;
  FileHandle file_;
  std::vector<unsigned char> buffer_;
  size_t used_ = 0;
};

class FileSource : public ChunkSource {
 public:
  // Opens the file and checks that it still has the size the scan saw.
  FileSource(const std::wstring& path, uint64_t expected_size);
  void read_exact(void* buf, size_t n) override;
  // Throws when the file holds more than was read (it grew meanwhile).
  void check_at_end();
  FileIdentity identity() const;

 private:
  std::wstring path_;
  FileHandle file_;
};

class MemorySource : public ChunkSource {
 public:
  MemorySource(const unsigned char* data, size_t size) : data_(data), left_(size) {}
  void read_exact(void* buf, size_t n) override;

 private:
  const unsigned char* data_;
  size_t left_;
};

}  // namespace tw
