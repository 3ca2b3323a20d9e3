#include "service/service_connection.h"

#include <charconv>
#include <optional>

#include "common/unicode_text.h"
#include "platform/interrupt.h"

namespace sonacli {
namespace {

std::optional<int32_t> ParsePort(const std::string& text) {
  int32_t port = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return port;
}

}  // namespace

void ConfigureHttpClient(THttpClient& client, const TServiceSettings& service, std::stop_token stop) {
  const TProxySettings& proxy = service.Proxy;
  if (!proxy.Host.empty()) {
    client.SetProxy(ToUtf8(proxy.Host), ParsePort(ToUtf8(proxy.Port)).value_or(kDefaultProxyPort));
  }
  client.SetKeepAlive(true);
  client.SetTimeoutMs(service.RequestTimeoutMs);
  client.SetUserAgent("sonacli/" SONACLI_VERSION);
  // Ctrl-C must not wait for an answer that may take minutes.
  client.SetAbortCheck([stop] { return InterruptRequested() || stop.stop_requested(); });
  if (!service.CaBundle.empty()) client.AddTrustedCaFile(service.CaBundle);
}

}  // namespace sonacli
