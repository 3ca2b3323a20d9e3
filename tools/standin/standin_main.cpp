// sonacli-standin: a local stand-in of the speech service on 127.0.0.1 (see tools/README.md).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <mutex>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "standin/http_exchange.h"
#include "standin/speech_service.h"
#include "standin/standin_script.h"
#include "standin/tls_identity.h"

namespace sonacli::standin {
namespace {

using Clock = std::chrono::steady_clock;

struct TOptions {
  int Port = 0;
  bool Plain = false;
  std::string CertFile;
  std::string CertName;  // empty: 127.0.0.1 and localhost
  std::string LogFile;
  std::string ScriptFile;
  int IdleExitSeconds = 120;
  int LifetimeSeconds = 0;
};

const char kUsage[] =
    "usage: sonacli-standin [--port N] [--plain | --cert FILE [--cert-name NAME]] [--log FILE]\n"
    "                       [--script FILE] [--idle-exit SECONDS] [--lifetime SECONDS]\n";

std::optional<TOptions> ParseOptions(int argc, char** argv) {
  TOptions options;
  for (int i = 1; i < argc; ++i) {
    const std::string name = argv[i];
    if (name == "--plain") {
      options.Plain = true;
      continue;
    }
    if (i + 1 >= argc) return std::nullopt;
    const std::string value = argv[++i];
    try {
      if (name == "--port")
        options.Port = std::stoi(value);
      else if (name == "--cert")
        options.CertFile = value;
      else if (name == "--cert-name")
        options.CertName = value;
      else if (name == "--log")
        options.LogFile = value;
      else if (name == "--script")
        options.ScriptFile = value;
      else if (name == "--idle-exit")
        options.IdleExitSeconds = std::stoi(value);
      else if (name == "--lifetime")
        options.LifetimeSeconds = std::stoi(value);
      else
        return std::nullopt;
    } catch (const std::exception&) {
      return std::nullopt;
    }
  }
  if (!options.Plain && options.CertFile.empty()) return std::nullopt;
  return options;
}

std::atomic<bool> stopRequested{false};
void RequestStop(int) {
  stopRequested = true;
}

class TServer {
 public:
  TServer(const TOptions& options, SSL_CTX* context)
      : options_(options), context_(context), script_(options.ScriptFile), lastActivity_(Clock::now()) {}

  int Listen() {
    listenFd_ = socket(AF_INET, SOCK_STREAM, 0);
    const int yes = 1;
    setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(options_.Port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        listen(listenFd_, 16) != 0) {
      return -1;
    }
    socklen_t length = sizeof address;
    getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
  }

  // Accepts connections until a signal, the parent's end, the idle time or the lifetime.
  void Run() {
    const pid_t parent = getppid();
    const Clock::time_point start = Clock::now();
    while (!stopRequested && getppid() == parent && !TimeIsUp(start)) {
      pollfd entry{listenFd_, POLLIN, 0};
      if (poll(&entry, 1, 100) <= 0) continue;
      const int fd = accept(listenFd_, nullptr, nullptr);
      if (fd < 0) continue;
      lastActivity_ = Clock::now();
      JoinFinishedWorkers();
      auto done = std::make_shared<std::atomic<bool>>(false);
      workers_.push_back({std::thread([this, fd, done] {
                            Handle(fd);
                            *done = true;
                          }),
                          done});
    }
    close(listenFd_);
    for (TWorker& worker : workers_) worker.Thread.join();
  }

 private:
  struct TWorker {
    std::thread Thread;
    std::shared_ptr<std::atomic<bool>> Done;
  };

  void JoinFinishedWorkers() {
    std::erase_if(workers_, [](TWorker& worker) {
      if (!*worker.Done) return false;
      worker.Thread.join();
      return true;
    });
  }

  bool TimeIsUp(Clock::time_point start) const {
    const Clock::time_point now = Clock::now();
    if (options_.LifetimeSeconds > 0 && now - start > std::chrono::seconds(options_.LifetimeSeconds))
      return true;
    return options_.IdleExitSeconds > 0 &&
           now - lastActivity_.load() > std::chrono::seconds(options_.IdleExitSeconds);
  }

  void Handle(int fd) {
    TConnection connection(fd, context_);
    if (!connection.Handshake()) return;
    TRequest request;
    if (!connection.ReadRequest(request)) return;
    int rule = -1;
    const TResponse response = AnswerRequest(request, script_, &rule);
    Record(request, rule);
    connection.Send(response, stopRequested);
    lastActivity_ = Clock::now();
  }

  // `rule`: the index of the script's rule that answers it, -1 for none.
  void Record(const TRequest& request, int rule) {
    if (options_.LogFile.empty()) return;
    nlohmann::json headers = nlohmann::json::object();
    for (const auto& [name, value] : request.Headers) {
      std::string key = name;
      for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      headers[key] = value;
    }
    nlohmann::json line = {{"method", request.Method},
                           {"path", request.Path},
                           {"query", request.Query},
                           {"headers", headers},
                           {"body", request.Body}};
    if (rule >= 0) line["rule"] = rule;
    std::lock_guard lock(logMutex_);
    std::ofstream log(options_.LogFile, std::ios::app | std::ios::binary);
    log << line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
  }

  const TOptions& options_;
  SSL_CTX* context_;
  TScript script_;
  std::atomic<Clock::time_point> lastActivity_;
  std::mutex logMutex_;
  int listenFd_ = -1;
  std::vector<TWorker> workers_;
};

int Main(int argc, char** argv) {
  const std::optional<TOptions> options = ParseOptions(argc, argv);
  if (!options) {
    std::cerr << kUsage;
    return 2;
  }
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGTERM, RequestStop);
  std::signal(SIGINT, RequestStop);
  SslContextPtr context;
  try {
    if (!options->Plain) context = MakeServerContext(options->CertFile, options->CertName);
  } catch (const std::exception& error) {
    std::cerr << "sonacli-standin: " << error.what() << "\n";
    return 1;
  }
  TServer server(*options, context.get());
  const int port = server.Listen();
  if (port < 0) {
    std::cerr << "sonacli-standin: cannot listen on port " << options->Port << ": " << std::strerror(errno)
              << "\n";
    return 1;
  }
  std::cout << "sonacli-standin listening on " << (options->Plain ? "http" : "https")
            << "://127.0.0.1:" << port << std::endl;
  server.Run();
  return 0;
}

}  // namespace
}  // namespace sonacli::standin

int main(int argc, char** argv) {
  return sonacli::standin::Main(argc, argv);
}
