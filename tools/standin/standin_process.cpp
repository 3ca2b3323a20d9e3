#include "standin/standin_process.h"

#include <poll.h>
#include <unistd.h>

#include <fstream>
#include <stdexcept>

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
  TChildOptions child;
  child.Stdout = TChildStream::Pipe();  // its first line names its port
  process_ = std::make_unique<TChildProcess>(args, child);
  const std::string line = ReadFirstLine(process_->StdoutPipe());
  const size_t colon = line.rfind(':');
  if (colon != std::string::npos) port_ = std::atoi(line.c_str() + colon + 1);
  if (port_ <= 0) throw std::runtime_error("stand-in: did not start: " + line);
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
