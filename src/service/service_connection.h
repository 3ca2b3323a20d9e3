// Where the speech service is and how the HTTP client for one attempt is set up.
#pragma once

#include <stop_token>
#include <string>

#include "http/http_client.h"
#include "settings/settings.h"

namespace sonacli {

// Base URLs without trailing slash: $SONACLI_LEGACY_URL, else https://tts.voicetech.yandex.net;
// $SONACLI_CLOUD_URL, else https://tts.api.cloud.yandex.net.
std::string LegacyServiceUrl();
std::string CloudServiceUrl();

// The proxy port used when the proxy's Port is empty or not a number.
constexpr int32_t kDefaultProxyPort = 8080;

// The proxy (host, and the port when it parses as an integer), keep-alive, a time-out of
// 360000 ms, the User-Agent, and the CA file named by $SONACLI_CA_BUNDLE trusted in addition to
// the system's. The transfer stops when the run is interrupted or a stop is requested on `stop`.
void ConfigureHttpClient(THttpClient& client, const TProxySettings& proxy, std::stop_token stop = {});

}  // namespace sonacli
