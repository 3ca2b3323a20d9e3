#include "testing/test_support.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace sonacli::testing {

ScopedTempDir::ScopedTempDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string base = (tmp && *tmp) ? tmp : "/tmp";
  std::string pattern = base + "/sonacli-test-XXXXXX";
  if (!mkdtemp(pattern.data())) throw std::runtime_error("cannot create a temporary folder");
  path_ = pattern;
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

ScopedReadOnlyFolder::ScopedReadOnlyFolder(const std::filesystem::path& folder) : folder_(folder) {
  if (geteuid() == 0) {
    mounted_ = mount(folder_.c_str(), folder_.c_str(), nullptr, MS_BIND, nullptr) == 0;
    if (mounted_ &&
        mount(nullptr, folder_.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
      umount2(folder_.c_str(), MNT_DETACH);
      mounted_ = false;
    }
    return;
  }
  chmodded_ = chmod(folder_.c_str(), 0500) == 0;
}

ScopedReadOnlyFolder::~ScopedReadOnlyFolder() {
  if (mounted_) umount2(folder_.c_str(), MNT_DETACH);
  if (chmodded_) chmod(folder_.c_str(), 0700);
}

ScopedFileSizeLimit::ScopedFileSizeLimit(uint64_t bytes) : previousHandler_(std::signal(SIGXFSZ, SIG_IGN)) {
  getrlimit(RLIMIT_FSIZE, &previous_);
  rlimit limit = previous_;
  limit.rlim_cur = bytes;
  setrlimit(RLIMIT_FSIZE, &limit);
}

ScopedFileSizeLimit::~ScopedFileSizeLimit() {
  setrlimit(RLIMIT_FSIZE, &previous_);
  std::signal(SIGXFSZ, previousHandler_);
}

std::string WriteFile(const std::string& name, const std::string& bytes) {
  std::ofstream out(name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + name);
  return name;
}

std::string ReadFile(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string SmallPng() {
  static constexpr char kPng[] =
      "\x89\x50\x4E\x47\x0D\x0A\x1A\x0A\x00\x00\x00\x0D\x49\x48\x44\x52"
      "\x00\x00\x00\x10\x00\x00\x00\x10\x08\x02\x00\x00\x00\x90\x91\x68"
      "\x36\x00\x00\x00\x16\x49\x44\x41\x54\x78\xDA\x63\x68\x70\x50\x20"
      "\x09\x31\x8C\x6A\x18\xD5\x30\x7C\x35\x00\x00\x77\x29\xE0\x01\x80"
      "\x21\x3F\x04\x00\x00\x00\x00\x49\x45\x4E\x44\xAE\x42\x60\x82";
  return std::string(kPng, sizeof kPng - 1);
}

}  // namespace sonacli::testing
