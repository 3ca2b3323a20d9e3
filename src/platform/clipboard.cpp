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

// The shell's exit status for a command it cannot find.
constexpr int kCommandNotFound = 127;

enum class RunOutcome { Succeeded, Failed, NotFound };

// Runs a command through the shell and collects its standard output.
RunOutcome RunAndRead(const char* command, std::string& output) {
  FILE* raw = popen(command, "r");
  if (!raw) return RunOutcome::Failed;
  std::unique_ptr<FILE, PipeCloser> pipe(raw);
  char buffer[4096];
  size_t count;
  while ((count = fread(buffer, 1, sizeof(buffer), pipe.get())) > 0) output.append(buffer, count);
  int status = pclose(pipe.release());
  if (status == -1 || !WIFEXITED(status)) return RunOutcome::Failed;
  if (WEXITSTATUS(status) == kCommandNotFound) return RunOutcome::NotFound;
  return WEXITSTATUS(status) == 0 ? RunOutcome::Succeeded : RunOutcome::Failed;
}

}  // namespace

TClipboardRead ReadClipboardText(std::u16string& text) {
  static const char* const kCommands[] = {
      "wl-paste --no-newline 2>/dev/null",
      "xclip -selection clipboard -o 2>/dev/null",
      "xsel --clipboard --output 2>/dev/null",
  };
  bool anyFound = false;
  for (const char* command : kCommands) {
    std::string output;
    const RunOutcome outcome = RunAndRead(command, output);
    if (outcome != RunOutcome::NotFound) anyFound = true;
    if (outcome == RunOutcome::Succeeded && !output.empty()) {
      text = ToUtf16(output);
      return TClipboardRead::Text;
    }
  }
  return anyFound ? TClipboardRead::NoText : TClipboardRead::NoProgram;
}

}  // namespace sonacli
