// The command-line parser and the choice of the configuration file.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "main/run_options.h"

namespace sonacli {

// The executable's path with its extension replaced by ".cfg", or the argument after the first
// "-cfg" (any case) when there is one.
std::u16string FindConfigFile(const std::vector<std::u16string>& arguments,
                              std::u16string_view executablePath);
// Applies the options among the arguments (program name excluded), in order. Names are matched
// without regard to case; an option's argument is the next argument, never read as an option
// itself, and an option that lacks its argument at the end has no effect. Anything else is ignored;
// an argument that looks like an option ("-x", "--xyz", not "-5") is noted in UnknownOptions.
void ReadCommandLine(const std::vector<std::u16string>& arguments, TRunOptions& options);
// The per-user configuration file: "sonacli/sonacli.cfg" in $XDG_CONFIG_HOME, or in "~/.config"
// when that is unset or empty (an XDG path that is not absolute is ignored, as the XDG rules ask);
// empty when neither variable gives a folder.
std::u16string UserConfigFile(std::u16string_view xdgConfigHome, std::u16string_view home);

}  // namespace sonacli
