// Requests through a real CONNECT proxy: tinyproxy, started as a child of the test.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <optional>

#include "common/unicode_text.h"
#include "service/synthesis_attempt.h"
#include "standin_fixture.h"
#include "support/child_process.h"
#include "support/wait_until.h"

namespace sonacli {
namespace {

int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

bool Accepts(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  const bool connected = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return connected;
}

class TTinyproxy {
 public:
  explicit TTinyproxy(const std::filesystem::path& folder)
      : port_(FreePort()), log_(folder / "tinyproxy.log") {
    const std::string config = (folder / "tinyproxy.conf").string();
    std::ofstream(config) << "Port " << port_ << "\nListen 127.0.0.1\nTimeout 30\nMaxClients 4\n"
                          << "Allow 127.0.0.1\nLogLevel Connect\nLogFile \"" << log_.string() << "\"\n";
    process_ =
        std::make_unique<TChildProcess>(std::vector<std::string>{"/usr/bin/tinyproxy", "-d", "-c", config});
    WaitUntil([this] { return Accepts(port_); }, std::chrono::seconds(5));
  }
  int Port() const { return port_; }
  std::string Log() const { return testing::ReadFile(log_.string()); }

 private:
  int port_;
  std::filesystem::path log_;
  std::unique_ptr<TChildProcess> process_;  // stopped with SIGTERM
};

using TProxyRequests = TStandinTest;

TEST_F(TProxyRequests, GoThroughTheProxyAsATunnelThatHidesTheKey) {
  TTinyproxy proxy(dir_.Path());
  ASSERT_TRUE(Accepts(proxy.Port()));
  struct {
    std::u16string host;
    std::u16string port;
  } const settings[] = {
      {u"127.0.0.1", ToUtf16(std::to_string(proxy.Port()))},
      // A port that is not a number is ignored; the port inside the host name is used.
      {ToUtf16("127.0.0.1:" + std::to_string(proxy.Port())), u"proxy"},
  };
  for (const auto& setting : settings) {
    settings_.ProxySettings.Host = setting.host;
    settings_.ProxySettings.Port = setting.port;
    for (const char16_t* voice : {u"oksana", u"kirill"}) {
      std::optional<TDecodedSpeech> speech;
      const TSynthesisAnswer answer =
          SendSynthesisRequest(Request(u"Hello", voice), DecodeInto(speech), {}, ServiceSettings());
      EXPECT_TRUE(answer.Spoken()) << ToUtf8(answer.ErrorText);
    }
  }
  const std::string log = proxy.Log();
  const std::string tunnel = "CONNECT 127.0.0.1:" + std::to_string(standin_->Port());
  size_t tunnels = 0;
  for (size_t at = log.find(tunnel); at != std::string::npos; at = log.find(tunnel, at + 1)) ++tunnels;
  EXPECT_EQ(tunnels, 4u) << log;
  EXPECT_EQ(log.find(ToUtf8(kCloudKey)), std::string::npos);
  const auto requests = standin_->Requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[3]["headers"]["authorization"], "Api-Key " + ToUtf8(kCloudKey));
}

TEST_F(TProxyRequests, UnreachableProxyIsATransportFailure) {
  settings_.ProxySettings.Host = u"127.0.0.1";
  settings_.ProxySettings.Port = ToUtf16(std::to_string(FreePort()));
  std::optional<TDecodedSpeech> speech;
  const TSynthesisAnswer answer =
      SendSynthesisRequest(Request(u"Hello", u"oksana"), DecodeInto(speech), {}, ServiceSettings());
  EXPECT_EQ(answer.Outcome, TSynthesisOutcome::Failed);
  EXPECT_EQ(ToUtf8(answer.ErrorText), "HTTP 500 - Internal error (could not connect to the proxy 127.0.0.1)");
  EXPECT_TRUE(standin_->Requests().empty());
}

}  // namespace
}  // namespace sonacli
