// What every fuzz target shares: taking the input apart and giving it to parsers that read files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

namespace sonacli::fuzz {

// The fuzzer's bytes as a string view.
inline std::string_view Bytes(const uint8_t* data, size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Takes the first byte off the front; 0 when there is none.
uint8_t TakeByte(std::string_view& bytes);
// The bytes before the first NUL and those after it (empty when there is no NUL). Dictionary and
// configuration files with a NUL are binary, so a NUL is a natural place to cut a test case.
std::pair<std::string_view, std::string_view> SplitAtNul(std::string_view bytes);

// A file in memory-backed /dev/shm (else $TMPDIR or /tmp) with the bytes, for parsers that only take
// a file name. One name per process and extension, reused by every input; removed when the object dies.
class TFuzzFile {
 public:
  TFuzzFile(std::string_view bytes, std::string_view extension);
  ~TFuzzFile();
  TFuzzFile(const TFuzzFile&) = delete;
  TFuzzFile& operator=(const TFuzzFile&) = delete;

  const std::string& Name() const { return name_; }
  const std::u16string& Name16() const { return name16_; }

 private:
  std::string name_;
  std::u16string name16_;
};

}  // namespace sonacli::fuzz
