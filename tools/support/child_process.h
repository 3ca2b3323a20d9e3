// A child process for the tests, the tools and the benchmarks: started with posix_spawn, its
// standard streams where the caller puts them, ended and waited for by its owner.
#pragma once

#include <signal.h>
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace sonacli {

// Where one standard stream of the child goes.
struct TChildStream {
  enum class TKind : uint8_t {
    Inherited,  // the parent's
    Null,       // /dev/null
    File,       // a file, created or emptied
    Pipe,       // a pipe whose reading end the parent keeps (standard output and error only)
    Stdout,     // the child's standard output (standard error only)
  };
  TKind Kind = TKind::Inherited;
  std::string FileName;

  static TChildStream Null() { return {TKind::Null, {}}; }
  static TChildStream File(std::string name) { return {TKind::File, std::move(name)}; }
  static TChildStream Pipe() { return {TKind::Pipe, {}}; }
  static TChildStream Stdout() { return {TKind::Stdout, {}}; }
};

struct TChildOptions {
  // Variables that replace or join those of the parent's environment.
  std::map<std::string, std::string> Environment;
  TChildStream Stdin;
  TChildStream Stdout;
  TChildStream Stderr;
  bool SearchPath = false;  // argv[0] is a name looked up in PATH rather than a path
  // The child starts with SIGPIPE, SIGINT, SIGTERM, SIGHUP and SIGXFSZ at their defaults and no
  // signal blocked, whatever the parent set (a test that ignores SIGXFSZ for itself would otherwise
  // hide whether the child handles a file-size limit).
  bool DefaultSignals = false;
  int StopSignal = SIGTERM;  // sent by the destructor to a child that has not ended
};

// How a child ended, and what it used.
struct TChildEnd {
  int ExitCode = -1;      // -1 when a signal ended it
  int Signal = 0;         // the signal that ended it, else 0
  double CpuSeconds = 0;  // user and system time
  int64_t PeakRssKb = 0;  // peak resident memory
};

class TChildProcess {
 public:
  // Starts argv[0] with the arguments; throws std::runtime_error when it cannot be started.
  explicit TChildProcess(const std::vector<std::string>& argv, const TChildOptions& options = {});
  // A child still running is sent the stop signal and waited for.
  ~TChildProcess();
  TChildProcess(const TChildProcess&) = delete;
  TChildProcess& operator=(const TChildProcess&) = delete;

  pid_t Pid() const { return pid_; }
  // The reading ends of the pipes; -1 when that stream is no pipe.
  int StdoutPipe() const { return stdoutPipe_; }
  int StderrPipe() const { return stderrPipe_; }
  // Waits for the end (once; later calls give the same end).
  TChildEnd Wait();
  // Sends the signal unless the child has ended, then waits for the end.
  TChildEnd Stop(int signal);

 private:
  pid_t pid_ = -1;
  int stdoutPipe_ = -1;
  int stderrPipe_ = -1;
  int stopSignal_;
  bool waited_ = false;
  TChildEnd end_;
};

// Everything that can be read from the descriptor until its end.
std::string ReadToEnd(int fd);

}  // namespace sonacli
