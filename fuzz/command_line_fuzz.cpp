// The command line: the choice of the configuration file and every option. The input holds the
// arguments in UTF-8, separated by NUL bytes.
#include <string>
#include <vector>

#include "common/unicode_text.h"
#include "fuzz_input.h"
#include "main/command_line.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  std::vector<std::u16string> arguments;
  std::string_view rest = fuzz::Bytes(data, size);
  while (!rest.empty()) {
    const auto [argument, after] = fuzz::SplitAtNul(rest);
    arguments.push_back(ToUtf16(argument));
    rest = after;
  }
  TRunState state;
  FindConfigFile(arguments, u"/usr/bin/sonacli");
  ReadCommandLine(arguments, state);
  return 0;
}
