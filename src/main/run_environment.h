// Reading the run's environment, once, before the options (TRunEnvironment).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "settings/run_environment.h"

namespace sonacli {

// The value of an environment variable; nullopt when it is not set.
using TEnvironmentLookup = std::function<std::optional<std::string>(const char* name)>;

// The process's own environment.
std::optional<std::string> ProcessEnvironmentVariable(const char* name);

// The run's environment as `lookup` gives it. An empty variable counts as unset, and so does a
// number that does not read as one in its range: SONACLI_ANSI_CODEPAGE from 1 to 99999,
// SONACLI_TEST_HTTP_TIMEOUT_MS from 1. Without SONACLI_ANSI_CODEPAGE the code page is the one of
// the locale's language (LC_ALL, else LC_CTYPE, else LANG).
TRunEnvironment ReadRunEnvironment(const TEnvironmentLookup& lookup);

}  // namespace sonacli
