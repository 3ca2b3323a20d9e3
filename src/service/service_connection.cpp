#include "service/service_connection.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <optional>

#include "common/unicode_text.h"
#include "platform/interrupt.h"

namespace sonacli {
namespace {

constexpr int64_t kTimeoutMs = 360000;

std::string EnvironmentOr(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : fallback;
}

std::optional<int32_t> ParsePort(const std::string& text) {
  int32_t port = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), port);
  if (text.empty() || error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return port;
}

// Tests shorten the time-out through the environment, so that an answer that stalls can be seen
// without waiting six minutes.
int64_t TimeoutMs() {
  const char* text = std::getenv("SONACLI_TEST_HTTP_TIMEOUT_MS");
  if (text == nullptr || *text == '\0') return kTimeoutMs;
  int64_t value = 0;
  const auto [end, error] = std::from_chars(text, text + std::strlen(text), value);
  return error == std::errc() && *end == '\0' && value > 0 ? value : kTimeoutMs;
}

}  // namespace

std::string LegacyServiceUrl() {
  return EnvironmentOr("SONACLI_LEGACY_URL", "https://tts.voicetech.yandex.net");
}

std::string CloudServiceUrl() {
  return EnvironmentOr("SONACLI_CLOUD_URL", "https://tts.api.cloud.yandex.net");
}

void ConfigureHttpClient(THttpClient& client, const TProxySettings& proxy, std::stop_token stop) {
  if (!proxy.Host.empty()) {
    client.SetProxy(ToUtf8(proxy.Host), ParsePort(ToUtf8(proxy.Port)).value_or(kDefaultProxyPort));
  }
  client.SetKeepAlive(true);
  client.SetTimeoutMs(TimeoutMs());
  client.SetUserAgent("sonacli/" SONACLI_VERSION);
  // Ctrl-C must not wait for an answer that may take minutes.
  client.SetAbortCheck([stop] { return InterruptRequested() || stop.stop_requested(); });
  const std::string caBundle = EnvironmentOr("SONACLI_CA_BUNDLE", "");
  if (!caBundle.empty()) client.AddTrustedCaFile(caBundle);
}

}  // namespace sonacli
