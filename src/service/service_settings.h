// What the service client takes of a run: where the service is, what it trusts beside the system,
// how long one request may take, the proxy and the retry rule.
#pragma once

#include <cstdint>
#include <string>

#include "settings/run_environment.h"
#include "settings/settings.h"

namespace sonacli {

// The base URLs of the service's interfaces: scheme, host and optional port, no trailing slash.
struct TServiceEndpoints {
  std::string LegacyUrl = "https://tts.voicetech.yandex.net";
  std::string CloudUrl = "https://tts.api.cloud.yandex.net";
};

struct TServiceSettings {
  TServiceEndpoints Endpoints;
  std::string CaBundle;  // a PEM file of CA certificates trusted beside the system's; empty: none
  int64_t RequestTimeoutMs = 360000;
  TProxySettings Proxy;
  TRetrySettings Retry;
};

// The run's proxy and retry rule, with the service's URLs, trusted certificates and time-out as
// its environment changes them.
TServiceSettings ServiceSettingsOf(const TSettings& settings, const TRunEnvironment& environment);

}  // namespace sonacli
