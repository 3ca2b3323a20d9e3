#include "e2e/sonacli_child.h"

#include <signal.h>

#include "testing/test_support.h"

namespace sonacli::testing {

std::string SonacliPath() {
  return SONACLI_PROGRAM_PATH;
}

TChild::TChild(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment,
               const std::filesystem::path& folder) {
  static int counter = 0;
  const std::string stem = "child" + std::to_string(++counter);
  stdoutFile_ = folder / (stem + ".out");
  stderrFile_ = folder / (stem + ".err");
  TChildOptions options;
  options.Environment = environment;
  options.Stdin = TChildStream::Null();
  options.Stdout = TChildStream::File(stdoutFile_.string());
  options.Stderr = TChildStream::File(stderrFile_.string());
  // The child starts with default signal handling, whatever the test runner set.
  options.DefaultSignals = true;
  options.StopSignal = SIGKILL;
  process_ = std::make_unique<TChildProcess>(argv, options);
}

std::string TChild::StdoutSoFar() const {
  return ReadFile(stdoutFile_.string());
}

TChildResult TChild::Wait() {
  const TChildEnd end = process_->Wait();
  TChildResult result;
  result.ExitCode = end.ExitCode;
  result.Signal = end.Signal;
  result.Stdout = ReadFile(stdoutFile_.string());
  result.Stderr = ReadFile(stderrFile_.string());
  return result;
}

}  // namespace sonacli::testing
