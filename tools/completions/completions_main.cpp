// sonacli-completions bash|zsh|fish: writes the completion script for that shell.
#include <iostream>
#include <string_view>

#include "completion_scripts.h"

int main(int argc, char** argv) {
  const std::string_view shell = argc == 2 ? argv[1] : "";
  const auto options = sonacli::CompletedOptions();
  if (shell == "bash") {
    std::cout << sonacli::BashScript(options);
  } else if (shell == "zsh") {
    std::cout << sonacli::ZshScript(options);
  } else if (shell == "fish") {
    std::cout << sonacli::FishScript(options);
  } else {
    std::cerr << "usage: sonacli-completions bash|zsh|fish\n";
    return 2;
  }
  return std::cout.flush() ? 0 : 1;
}
