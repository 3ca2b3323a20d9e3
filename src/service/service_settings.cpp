#include "service/service_settings.h"

namespace sonacli {

TServiceSettings ServiceSettingsOf(const TSettings& settings, const TRunEnvironment& environment) {
  TServiceSettings service;
  if (!environment.LegacyServiceUrl.empty()) service.Endpoints.LegacyUrl = environment.LegacyServiceUrl;
  if (!environment.CloudServiceUrl.empty()) service.Endpoints.CloudUrl = environment.CloudServiceUrl;
  service.CaBundle = environment.CaBundle;
  if (environment.RequestTimeoutMs) service.RequestTimeoutMs = *environment.RequestTimeoutMs;
  service.Proxy = settings.ProxySettings;
  service.Retry = settings.RetrySettings;
  return service;
}

}  // namespace sonacli
