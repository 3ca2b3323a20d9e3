// The configuration file: decoding, line splitting and the value parser of every option.
// A "-fl" line reads the list file it names; inputs only name files that do not exist.
#include "fuzz_input.h"
#include "main/config_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  TRunOptions options;
  const fuzz::TFuzzFile file(fuzz::Bytes(data, size), ".cfg");
  ReadConfigFile(file.Name16(), options);
  return 0;
}
