#include "main/command_line.h"

#include "common/unicode_text.h"
#include "main/option_table.h"
#include "platform/file_system.h"

namespace sonacli {

namespace {

// "-x" or "--xyz"; a lone "-" and negative numbers ("-5") are taken for values.
bool LooksLikeOption(std::u16string_view argument) {
  return argument.size() >= 2 && argument[0] == u'-' && !(argument[1] >= u'0' && argument[1] <= u'9');
}

}  // namespace

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

std::u16string UserConfigFile(std::u16string_view xdgConfigHome, std::u16string_view home) {
  std::u16string folder;
  if (xdgConfigHome.starts_with(u'/')) {
    folder = xdgConfigHome;
  } else if (!home.empty()) {
    folder = std::u16string(home) + u"/.config";
  } else {
    return {};
  }
  if (!folder.ends_with(u'/')) folder += u'/';
  return folder + u"sonacli/sonacli.cfg";
}

void ReadCommandLine(const std::vector<std::u16string>& arguments, TRunOptions& options) {
  for (size_t i = 0; i < arguments.size(); ++i) {
    const TOption* option = FindOption(LowerCase(arguments[i]));
    if (!option) {
      if (LooksLikeOption(arguments[i])) options.UnknownOptions.push_back(arguments[i]);
      continue;
    }
    if (!option->TakesArgument) {
      ApplyOption(*option, {}, TOptionSource::CommandLine, options);
    } else if (i + 1 < arguments.size()) {
      ApplyOption(*option, arguments[++i], TOptionSource::CommandLine, options);
    }
  }
}

}  // namespace sonacli
