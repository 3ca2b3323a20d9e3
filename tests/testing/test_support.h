// Helpers shared by the tests: a temporary folder per test and whole-file reads and writes.
#pragma once

#include <sys/resource.h>

#include <cstdint>
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

// While it lives, nothing can be made, changed or removed in `folder`, by root neither: for root,
// whom permissions do not stop, the folder is bind-mounted read-only on itself; for others its
// write permission is taken away. Ok() is false where neither can be done.
class ScopedReadOnlyFolder {
 public:
  explicit ScopedReadOnlyFolder(const std::filesystem::path& folder);
  ~ScopedReadOnlyFolder();
  ScopedReadOnlyFolder(const ScopedReadOnlyFolder&) = delete;
  ScopedReadOnlyFolder& operator=(const ScopedReadOnlyFolder&) = delete;

  bool Ok() const { return mounted_ || chmodded_; }

 private:
  std::filesystem::path folder_;
  bool mounted_ = false;
  bool chmodded_ = false;
};

// While it lives, files of this process cannot grow beyond `bytes`, and a write beyond fails instead
// of raising SIGXFSZ: a full disk, made small.
class ScopedFileSizeLimit {
 public:
  explicit ScopedFileSizeLimit(uint64_t bytes);
  ~ScopedFileSizeLimit();
  ScopedFileSizeLimit(const ScopedFileSizeLimit&) = delete;
  ScopedFileSizeLimit& operator=(const ScopedFileSizeLimit&) = delete;

 private:
  rlimit previous_{};
  void (*previousHandler_)(int);
};

// Writes bytes to a file, replacing it; returns its name.
std::string WriteFile(const std::string& name, const std::string& bytes);
// The whole content of a file; empty when it cannot be read.
std::string ReadFile(const std::string& name);

// A 16x16 PNG picture that decodes whole: the smallest cover a run accepts.
std::string SmallPng();

}  // namespace sonacli::testing
