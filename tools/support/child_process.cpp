#include "support/child_process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace sonacli {

namespace {

// The parent's environment with the given variables replaced or added.
std::vector<std::string> MergedEnvironment(const std::map<std::string, std::string>& overrides) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    if (!overrides.contains(text.substr(0, text.find('=')))) result.push_back(text);
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

double Seconds(const timeval& time) {
  return static_cast<double>(time.tv_sec) + static_cast<double>(time.tv_usec) / 1e6;
}

// The spawn's file actions and attributes, released on every path.
class TSpawnSetup {
 public:
  TSpawnSetup() {
    posix_spawn_file_actions_init(&actions_);
    posix_spawnattr_init(&attributes_);
  }
  ~TSpawnSetup() {
    posix_spawnattr_destroy(&attributes_);
    posix_spawn_file_actions_destroy(&actions_);
    for (int fd : writeEnds_) close(fd);
    for (int fd : readEnds_) close(fd);
  }
  TSpawnSetup(const TSpawnSetup&) = delete;
  TSpawnSetup& operator=(const TSpawnSetup&) = delete;

  // Sets up the stream `fd` of the child; the reading end of a pipe, else -1.
  int Direct(int fd, const TChildStream& stream) {
    using TKind = TChildStream::TKind;
    const bool input = fd == STDIN_FILENO;
    switch (stream.Kind) {
      case TKind::Inherited:
        break;
      case TKind::Null:
        posix_spawn_file_actions_addopen(&actions_, fd, "/dev/null", input ? O_RDONLY : O_WRONLY, 0);
        break;
      case TKind::File:
        posix_spawn_file_actions_addopen(&actions_, fd, stream.FileName.c_str(),
                                         input ? O_RDONLY : O_WRONLY | O_CREAT | O_TRUNC, 0600);
        break;
      case TKind::Stdout:
        posix_spawn_file_actions_adddup2(&actions_, STDOUT_FILENO, fd);
        break;
      case TKind::Pipe: {
        // Both ends close on exec: the child keeps only its copy, and no other child gets one.
        std::array<int, 2> ends{};
        if (pipe2(ends.data(), O_CLOEXEC) != 0) throw std::runtime_error("no pipe for a child process");
        readEnds_.push_back(ends[0]);
        writeEnds_.push_back(ends[1]);
        posix_spawn_file_actions_adddup2(&actions_, ends[1], fd);
        return ends[0];
      }
    }
    return -1;
  }

  void DefaultSignals() {
    sigset_t defaults;
    sigemptyset(&defaults);
    for (int signal : {SIGPIPE, SIGINT, SIGTERM, SIGHUP, SIGXFSZ}) sigaddset(&defaults, signal);
    posix_spawnattr_setsigdefault(&attributes_, &defaults);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigmask(&attributes_, &none);
    posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);
  }

  // The reading ends now belong to the caller.
  void KeepReadEnds() { readEnds_.clear(); }

  const posix_spawn_file_actions_t* Actions() const { return &actions_; }
  const posix_spawnattr_t* Attributes() const { return &attributes_; }

 private:
  posix_spawn_file_actions_t actions_;
  posix_spawnattr_t attributes_;
  std::vector<int> readEnds_;   // closed unless kept
  std::vector<int> writeEnds_;  // the parent's copies, closed once the child has its own
};

}  // namespace

TChildProcess::TChildProcess(const std::vector<std::string>& argv, const TChildOptions& options)
    : stopSignal_(options.StopSignal) {
  if (argv.empty()) throw std::invalid_argument("a child process needs a program");
  std::vector<std::string> args = argv;
  std::vector<std::string> environment = MergedEnvironment(options.Environment);
  std::vector<char*> argPointers = Pointers(args);
  std::vector<char*> environmentPointers = Pointers(environment);
  TSpawnSetup setup;
  setup.Direct(STDIN_FILENO, options.Stdin);
  const int stdoutPipe = setup.Direct(STDOUT_FILENO, options.Stdout);
  const int stderrPipe = setup.Direct(STDERR_FILENO, options.Stderr);
  if (options.DefaultSignals) setup.DefaultSignals();
  const auto spawn = options.SearchPath ? posix_spawnp : posix_spawn;
  const int failed = spawn(&pid_, args[0].c_str(), setup.Actions(), setup.Attributes(), argPointers.data(),
                           environmentPointers.data());
  if (failed != 0) {
    pid_ = -1;
    throw std::runtime_error("cannot start " + args[0] + ": " + std::strerror(failed));
  }
  setup.KeepReadEnds();
  stdoutPipe_ = stdoutPipe;
  stderrPipe_ = stderrPipe;
}

TChildProcess::~TChildProcess() {
  Stop(stopSignal_);
  for (int fd : {stdoutPipe_, stderrPipe_}) {
    if (fd >= 0) close(fd);
  }
}

TChildEnd TChildProcess::Wait() {
  if (waited_ || pid_ <= 0) return end_;
  int status = 0;
  rusage usage{};
  while (wait4(pid_, &status, 0, &usage) < 0) {
    if (errno != EINTR) return end_;
  }
  waited_ = true;
  if (WIFEXITED(status)) end_.ExitCode = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) end_.Signal = WTERMSIG(status);
  end_.CpuSeconds = Seconds(usage.ru_utime) + Seconds(usage.ru_stime);
  end_.PeakRssKb = usage.ru_maxrss;
  return end_;
}

TChildEnd TChildProcess::Stop(int signal) {
  if (!waited_ && pid_ > 0) kill(pid_, signal);
  return Wait();
}

std::string ReadToEnd(int fd) {
  std::string text;
  std::array<char, 4096> buffer;
  for (;;) {
    const ssize_t count = read(fd, buffer.data(), buffer.size());
    if (count > 0) {
      text.append(buffer.data(), static_cast<size_t>(count));
    } else if (count == 0 || errno != EINTR) {
      return text;
    }
  }
}

}  // namespace sonacli
