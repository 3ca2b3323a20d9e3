#include "http/library_version.h"

#include <curl/curl.h>

namespace sonacli {

std::string CurlVersion() {
  const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
  std::string text = info->version;
  if (info->ssl_version) text += std::string(" (") + info->ssl_version + ")";
  return text;
}

}  // namespace sonacli
