// Shell completion scripts for sonacli, made from the program's own option table, usage text and
// catalogue, so that every option the program reads is offered and nothing it refuses is.
#pragma once

#include <string>
#include <vector>

namespace sonacli {

struct TCompletedOption {
  std::string Name;
  bool TakesArgument = false;
  std::string Description;          // from the usage text (of the option or the one it stands for)
  std::string ValueName;            // "file_name", "language_name", ... ; empty without argument
  std::vector<std::string> Values;  // a fixed list of values, when the option has one
  bool TakesFile = false;
  std::vector<std::string> Extensions;  // the file name extensions offered (lower case); empty: any
};

// Every option of the option table, in its order.
std::vector<TCompletedOption> CompletedOptions();

// The script that bash-completion loads from share/bash-completion/completions/sonacli.
std::string BashScript(const std::vector<TCompletedOption>& options);
// The script that zsh loads from share/zsh/vendor-completions/_sonacli.
std::string ZshScript(const std::vector<TCompletedOption>& options);
// The script that fish loads from share/fish/vendor_completions.d/sonacli.fish.
std::string FishScript(const std::vector<TCompletedOption>& options);

}  // namespace sonacli
