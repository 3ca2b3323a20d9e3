// The version of libcurl the program runs with, for --version.
#pragma once

#include <string>

namespace sonacli {

// libcurl's version with its TLS library, as the loaded library reports them: "7.88.1 (OpenSSL/3.0.11)".
std::string CurlVersion();

}  // namespace sonacli
