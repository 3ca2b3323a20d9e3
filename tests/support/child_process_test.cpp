#include "support/child_process.h"

#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>

#include "testing/test_support.h"

namespace sonacli {
namespace {

std::vector<std::string> Shell(const std::string& script) {
  return {"/bin/sh", "-c", script};
}

TEST(TChildProcess, PipesCarryWhatTheChildWritesAndTheEndIsItsExitCode) {
  TChildOptions options;
  options.Stdout = options.Stderr = TChildStream::Pipe();
  TChildProcess child(Shell("echo out; echo err >&2; exit 3"), options);
  EXPECT_EQ(ReadToEnd(child.StdoutPipe()), "out\n");
  EXPECT_EQ(ReadToEnd(child.StderrPipe()), "err\n");
  const TChildEnd end = child.Wait();
  EXPECT_EQ(end.ExitCode, 3);
  EXPECT_EQ(end.Signal, 0);
  EXPECT_EQ(child.Wait().ExitCode, 3);  // waited for once
}

TEST(TChildProcess, FilesNullInputAndErrorsBesideTheOutput) {
  testing::ScopedTempDir dir;
  const std::string log = dir.File("log");
  testing::WriteFile(log, "an earlier run's log that is much longer\n");
  TChildOptions options;
  options.Stdin = TChildStream::Null();
  options.Stdout = TChildStream::File(log);
  options.Stderr = TChildStream::Stdout();
  // cat reads the empty input and ends at once.
  EXPECT_EQ(TChildProcess(Shell("cat; echo a; echo b >&2"), options).Wait().ExitCode, 0);
  EXPECT_EQ(testing::ReadFile(log), "a\nb\n");
  // A file as input is read, not emptied.
  options.Stdin = TChildStream::File(log);
  options.Stdout = TChildStream::Pipe();
  TChildProcess reader(Shell("cat"), options);
  EXPECT_EQ(ReadToEnd(reader.StdoutPipe()), "a\nb\n");
  EXPECT_EQ(testing::ReadFile(log), "a\nb\n");
}

TEST(TChildProcess, EnvironmentVariablesAreReplacedOrAdded) {
  TChildOptions options;
  options.Environment = {{"HOME", "/elsewhere"}, {"SONACLI_CHILD_TEST", "added"}};
  options.Stdout = TChildStream::Pipe();
  TChildProcess child(Shell("env | grep -c '^HOME='; printf '%s %s' \"$HOME\" \"$SONACLI_CHILD_TEST\""),
                      options);
  EXPECT_EQ(ReadToEnd(child.StdoutPipe()), "1\n/elsewhere added");
}

TEST(TChildProcess, ProgramByNameOnlyWithThePathSearch) {
  TChildOptions options;
  EXPECT_THROW(TChildProcess({"sh", "-c", "exit 0"}, options), std::runtime_error);
  EXPECT_THROW(TChildProcess({"/nonexistent/program"}, options), std::runtime_error);
  options.SearchPath = true;
  EXPECT_EQ(TChildProcess({"sh", "-c", "exit 4"}, options).Wait().ExitCode, 4);
}

TEST(TChildProcess, ChildStillRunningIsStopped) {
  const auto start = std::chrono::steady_clock::now();
  {
    TChildProcess sleeper({"/bin/sleep", "30"});  // SIGTERM when it goes
  }
  TChildProcess killed({"/bin/sleep", "30"});
  const TChildEnd end = killed.Stop(SIGKILL);
  EXPECT_EQ(end.Signal, SIGKILL);
  EXPECT_EQ(end.ExitCode, -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10));
}

// Whether the process ignores the signal, from its status in /proc.
bool Ignores(pid_t pid, int signal) {
  const std::string status = testing::ReadFile("/proc/" + std::to_string(pid) + "/status");
  const size_t at = status.find("SigIgn:\t");
  if (at == std::string::npos) throw std::runtime_error("no SigIgn line");
  const unsigned long long ignored = std::stoull(status.substr(at + 8, 16), nullptr, 16);
  return (ignored >> (signal - 1)) & 1;
}

TEST(TChildProcess, DefaultSignalsUndoWhatTheParentIgnores) {
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  struct sigaction savedInterrupt {};
  struct sigaction savedFileSize {};
  sigaction(SIGINT, &ignore, &savedInterrupt);
  // A file-size limit must reach a program under test as the user's shell would let it.
  sigaction(SIGXFSZ, &ignore, &savedFileSize);
  TChildOptions options;
  options.StopSignal = SIGKILL;
  TChildProcess inherits({"/bin/sleep", "30"}, options);
  options.DefaultSignals = true;
  TChildProcess defaults({"/bin/sleep", "30"}, options);
  sigaction(SIGINT, &savedInterrupt, nullptr);
  sigaction(SIGXFSZ, &savedFileSize, nullptr);
  for (const int signal : {SIGINT, SIGXFSZ}) {
    SCOPED_TRACE(signal);
    EXPECT_TRUE(Ignores(inherits.Pid(), signal));
    EXPECT_FALSE(Ignores(defaults.Pid(), signal));
  }
  EXPECT_EQ(defaults.Stop(SIGINT).Signal, SIGINT);
}

}  // namespace
}  // namespace sonacli
