// DecodeBase64: at most three bytes come out for every four characters of the text.
#include <cstdlib>
#include <string>

#include "common/base64.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string stream = "kept";
  sonacli::DecodeBase64(sonacli::fuzz::Bytes(data, size), stream);
  if (stream.compare(0, 4, "kept") != 0 || stream.size() - 4 > size / 4 * 3) std::abort();
  return 0;
}
