// The list file of -fl: decoding and line splitting into input file names.
#include "fuzz_input.h"
#include "main/option_table.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  TRunOptions options;
  const fuzz::TFuzzFile file(fuzz::Bytes(data, size), ".lst");
  ReadListFile(file.Name16(), options);
  return 0;
}
