#include "main/command_line.h"

#include "common/unicode_text.h"
#include "main/option_table.h"
#include "platform/file_system.h"

namespace sonacli {

std::u16string FindConfigFile(const std::vector<std::u16string>& arguments,
                              std::u16string_view executablePath) {
  std::u16string configFileName = ChangeExtension(executablePath, u".cfg");
  for (size_t i = 0; i < arguments.size(); ++i) {
    if (LowerCase(arguments[i]) != u"-cfg") continue;
    if (i + 1 < arguments.size()) configFileName = arguments[i + 1];
    break;
  }
  return configFileName;
}

void ReadCommandLine(const std::vector<std::u16string>& arguments, TRunOptions& options) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const TOption* option = FindOption(LowerCase(arguments[i]));
    if (!option) continue;
    if (!option->TakesArgument) {
      ApplyOption(*option, {}, TOptionSource::CommandLine, options);
    } else if (i + 1 < arguments.size()) {
      ApplyOption(*option, arguments[++i], TOptionSource::CommandLine, options);
    }
  }
}

}  // namespace sonacli
