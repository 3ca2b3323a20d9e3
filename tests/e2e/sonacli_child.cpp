#include "e2e/sonacli_child.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "testing/test_support.h"

extern char** environ;

namespace sonacli::testing {

std::string SonacliPath() {
  return SONACLI_PROGRAM_PATH;
}

namespace {

// The current environment with the given variables replaced or added.
std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& overrides) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry; ++entry) {
    std::string text = *entry;
    std::string name = text.substr(0, text.find('='));
    if (!overrides.contains(name)) result.push_back(text);
  }
  for (const auto& [name, value] : overrides) result.push_back(name + "=" + value);
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

TChild::TChild(const std::vector<std::string>& argv, const std::map<std::string, std::string>& environment,
               const std::filesystem::path& folder) {
  static int counter = 0;
  const std::string stem = "child" + std::to_string(++counter);
  stdoutFile_ = folder / (stem + ".out");
  stderrFile_ = folder / (stem + ".err");
  std::vector<std::string> args = argv;
  std::vector<std::string> env = MergedEnvironment(environment);
  std::vector<char*> argPointers = Pointers(args);
  std::vector<char*> envPointers = Pointers(env);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, stdoutFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, stderrFile_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  // The child starts with default signal handling, whatever the test runner set.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t defaults;
  sigemptyset(&defaults);
  sigaddset(&defaults, SIGPIPE);
  sigaddset(&defaults, SIGINT);
  sigaddset(&defaults, SIGTERM);
  posix_spawnattr_setsigdefault(&attributes, &defaults);
  sigset_t none;
  sigemptyset(&none);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  const int failed =
      posix_spawn(&pid_, args[0].c_str(), &actions, &attributes, argPointers.data(), envPointers.data());
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&actions);
  if (failed != 0) throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(failed));
}

TChild::~TChild() {
  if (!waited_ && pid_ > 0) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

std::string TChild::StdoutSoFar() const {
  return ReadFile(stdoutFile_.string());
}

TChildResult TChild::Wait() {
  TChildResult result;
  int status = 0;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  waited_ = true;
  if (WIFEXITED(status)) result.ExitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.Signal = WTERMSIG(status);
  result.Stdout = ReadFile(stdoutFile_.string());
  result.Stderr = ReadFile(stderrFile_.string());
  return result;
}

}  // namespace sonacli::testing
