// Helpers shared by the tests: a temporary folder per test and whole-file reads and writes.
#pragma once

#include <sys/resource.h>

#include <filesystem>
#include <string>

namespace sonacli::testing {

// A fresh folder under $TMPDIR (or /tmp), removed with everything in it when the object dies.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // The full name of a file inside the folder.
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// While it lives, files of this process cannot grow beyond `bytes`: a write past it fails with
// EFBIG (SIGXFSZ is ignored meanwhile), as on a full disk.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes);
  ~FileSizeLimit();
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  void (*previousHandler_)(int);
};

// Writes bytes to a file, replacing it; returns its name.
std::string WriteFile(const std::string& name, const std::string& bytes);
// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& name);

}  // namespace sonacli::testing
