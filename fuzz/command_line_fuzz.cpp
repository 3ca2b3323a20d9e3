// The command line: the choice of the configuration file, every option and the resolve step over
// them. The input holds the arguments in UTF-8, separated by NUL bytes.
#include <string>
#include <vector>

#include "common/unicode_text.h"
#include "fuzz_input.h"
#include "main/command_line.h"
#include "main/resolve_run.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace sonacli;
  std::vector<std::u16string> arguments;
  std::string_view rest = fuzz::Bytes(data, size);
  while (!rest.empty()) {
    const auto [argument, after] = fuzz::SplitAtNul(rest);
    arguments.push_back(ToUtf16(argument));
    rest = after;
  }
  TRunOptions options;
  FindConfigFile(arguments, u"/usr/bin/sonacli");
  ReadCommandLine(arguments, options);
  ResolveRun(options);
  return 0;
}
