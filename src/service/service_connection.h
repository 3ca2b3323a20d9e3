// How the HTTP client for one attempt is set up.
#pragma once

#include <stop_token>

#include "http/http_client.h"
#include "service/service_settings.h"

namespace sonacli {

// The proxy port used when the proxy's Port is empty or not a number.
constexpr int32_t kDefaultProxyPort = 8080;

// The proxy (host, and the port when it parses as an integer), keep-alive, the time-out of one
// request, the User-Agent, and the CA file trusted beside the system's. The transfer stops when the
// run is interrupted or a stop is requested on `stop`.
void ConfigureHttpClient(THttpClient& client, const TServiceSettings& service, std::stop_token stop = {});

}  // namespace sonacli
