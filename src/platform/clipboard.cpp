#include "platform/clipboard.h"

#include <sys/wait.h>
#include <cstdio>
#include <memory>

#include "common/unicode_text.h"

namespace sonacli {

namespace {

struct PipeCloser {
  void operator()(FILE* pipe) const { pclose(pipe); }
};

// Runs a command and collects its standard output; false unless it exits with 0.
bool RunAndRead(const char* command, std::string& output) {
  FILE* raw = popen(command, "r");
  if (!raw) return false;
  std::unique_ptr<FILE, PipeCloser> pipe(raw);
  char buffer[4096];
  size_t count;
  while ((count = fread(buffer, 1, sizeof(buffer), pipe.get())) > 0) output.append(buffer, count);
  int status = pclose(pipe.release());
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

bool ReadClipboardText(std::u16string& text) {
  static const char* const kCommands[] = {
      "wl-paste --no-newline 2>/dev/null",
      "xclip -selection clipboard -o 2>/dev/null",
      "xsel --clipboard --output 2>/dev/null",
  };
  for (const char* command : kCommands) {
    std::string output;
    if (RunAndRead(command, output) && !output.empty()) {
      text = ToUtf16(output);
      return true;
    }
  }
  return false;
}

}  // namespace sonacli
