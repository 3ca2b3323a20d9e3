#include "standin/standin_process.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

extern char** environ;

namespace sonacli {
namespace {

constexpr int kStartTimeoutMs = 20000;

// The first line the child prints, or empty when it prints none in time.
std::string ReadFirstLine(int fd) {
  std::string line;
  char c;
  while (line.find('\n') == std::string::npos) {
    pollfd entry{fd, POLLIN, 0};
    if (poll(&entry, 1, kStartTimeoutMs) <= 0 || read(fd, &c, 1) != 1) return "";
    line += c;
  }
  return line;
}

}  // namespace

TStandinProcess::TStandinProcess(const std::filesystem::path& folder, bool plain)
    : TStandinProcess(folder, TStandinOptions{.Plain = plain, .CertificateName = {}}) {}

TStandinProcess::TStandinProcess(const std::filesystem::path& folder, const TStandinOptions& options)
    : folder_(folder), plain_(options.Plain) {
  std::vector<std::string> args = {SONACLI_STANDIN_PATH,
                                   "--port",
                                   "0",
                                   "--log",
                                   (folder_ / "requests.jsonl").string(),
                                   "--script",
                                   (folder_ / "script.json").string(),
                                   "--idle-exit",
                                   "300"};
  if (plain_) {
    args.push_back("--plain");
  } else {
    args.insert(args.end(), {"--cert", CaFile()});
    if (!options.CertificateName.empty()) args.insert(args.end(), {"--cert-name", options.CertificateName});
  }
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  argv.push_back(nullptr);

  int pipeFds[2];
  if (pipe(pipeFds) != 0) throw std::runtime_error("stand-in: no pipe");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
  const int failed = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(pipeFds[1]);
  output_ = pipeFds[0];
  if (failed != 0) {
    close(output_);
    throw std::runtime_error("stand-in: cannot start " + args[0]);
  }
  const std::string line = ReadFirstLine(output_);
  const size_t colon = line.rfind(':');
  if (colon != std::string::npos) port_ = std::atoi(line.c_str() + colon + 1);
  if (port_ <= 0) {
    Stop();
    throw std::runtime_error("stand-in: did not start: " + line);
  }
}

TStandinProcess::~TStandinProcess() {
  Stop();
}

void TStandinProcess::Stop() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
  if (output_ >= 0) {
    close(output_);
    output_ = -1;
  }
}

std::string TStandinProcess::BaseUrl() const {
  return std::string(plain_ ? "http" : "https") + "://127.0.0.1:" + std::to_string(port_);
}

void TStandinProcess::SetScript(const std::string& json) const {
  const std::filesystem::path temporary = folder_ / "script.json.new";
  std::ofstream(temporary, std::ios::binary) << json;
  std::filesystem::rename(temporary, folder_ / "script.json");
}

std::vector<nlohmann::json> TStandinProcess::Requests() const {
  std::vector<nlohmann::json> requests;
  std::ifstream log(folder_ / "requests.jsonl", std::ios::binary);
  for (std::string line; std::getline(log, line);) {
    if (!line.empty()) requests.push_back(nlohmann::json::parse(line));
  }
  return requests;
}

}  // namespace sonacli
