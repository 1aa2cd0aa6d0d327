#pragma once
// File ends of the container writer: the new SFX file written through a
// buffer, and a source file read chunk by chunk, both over the platform's
// files.
#include <memory>
#include <string>
#include <vector>

#include "container_writer.h"
#include "platform.h"

namespace tw {

class FileSink : public ByteSink {
 public:
  // Writes through file; errors name shown_path.
  FileSink(std::unique_ptr<OutputFile> file, std::wstring shown_path);
  ~FileSink() override;
  void write(const void* data, size_t n) override;
  // Writes out the rest, flushes it to the disk and gives the file the name
  // target. Throws BuildError.
  void commit(const std::wstring& target);

 private:
  void flush();
  std::wstring path_;
  std::unique_ptr<OutputFile> file_;
  std::vector<unsigned char> buffer_;
  size_t used_ = 0;
};

class FileSource : public ChunkSource {
 public:
  // Opens the file and checks that it still has the size the scan saw.
  FileSource(Platform& platform, const std::wstring& path, uint64_t expected_size);
  void read_exact(void* buf, size_t n) override;
  // Throws when the file holds more than was read (it grew meanwhile).
  void check_at_end();
  FileIdentity identity() { return file_->identity(); }

 private:
  std::wstring path_;
  std::unique_ptr<InputFile> file_;
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
