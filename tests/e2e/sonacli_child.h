// Runs the built sonacli (or a shell pipeline around it) as a child process against the stand-in
// service, with its own temporary folder, and collects what it wrote.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace sonacli::testing {

// The built program.
std::string SonacliPath();

struct TChildResult {
  int ExitCode = -1;  // -1 when the child died of a signal
  int Signal = 0;     // the signal that ended it, else 0
  std::string Stdout;
  std::string Stderr;
};

// One child process; stdout and stderr go to files in `folder`.
class TChild {
 public:
  // Starts argv[0] (a path) with the current environment plus `environment`.
  // A child not waited for is killed when the object dies.
  TChild(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment,
         const std::filesystem::path& folder);

  pid_t Pid() const { return process_->Pid(); }
  // The standard output written so far.
  std::string StdoutSoFar() const;
  // Waits for the end and returns what the child wrote.
  TChildResult Wait();

 private:
  std::filesystem::path stdoutFile_;
  std::filesystem::path stderrFile_;
  std::unique_ptr<TChildProcess> process_;
};

}  // namespace sonacli::testing
