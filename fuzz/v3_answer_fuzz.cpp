// The answer of the cloud v3 service: a sequence of JSON objects with base64 audio chunks.
#include <string>

#include "fuzz_input.h"
#include "service/v3_answer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  sonacli::ExtractV3Audio(std::string(sonacli::fuzz::Bytes(data, size)));
  return 0;
}
