#include "fuzz_input.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "common/unicode_text.h"

namespace sonacli::fuzz {

namespace {

std::string TempFolder() {
  if (std::filesystem::is_directory("/dev/shm")) return "/dev/shm";
  const char* tmp = std::getenv("TMPDIR");
  return tmp && *tmp ? tmp : "/tmp";
}

}  // namespace

uint8_t TakeByte(std::string_view& bytes) {
  if (bytes.empty()) return 0;
  const auto byte = static_cast<uint8_t>(bytes.front());
  bytes.remove_prefix(1);
  return byte;
}

std::pair<std::string_view, std::string_view> SplitAtNul(std::string_view bytes) {
  const size_t nul = bytes.find('\0');
  if (nul == std::string_view::npos) return {bytes, {}};
  return {bytes.substr(0, nul), bytes.substr(nul + 1)};
}

TFuzzFile::TFuzzFile(std::string_view bytes, std::string_view extension)
    : name_(TempFolder() + "/sonacli-fuzz-" + std::to_string(getpid()) + std::string(extension)) {
  std::ofstream out(name_, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out.flush()) {
    std::fprintf(stderr, "cannot write %s\n", name_.c_str());
    std::abort();
  }
  name16_ = ToUtf16(name_);
}

TFuzzFile::~TFuzzFile() {
  std::remove(name_.c_str());
}

}  // namespace sonacli::fuzz
