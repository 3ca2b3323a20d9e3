// Runs the stand-in service as a child process for a test: on a free port of 127.0.0.1, with its
// certificate, request log and script in a folder of the test.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "support/child_process.h"

namespace sonacli {

struct TStandinOptions {
  bool Plain = false;           // HTTP instead of HTTPS
  std::string CertificateName;  // the one name of its certificate; empty: 127.0.0.1 and localhost
};

class TStandinProcess {
 public:
  // Starts the stand-in and waits until it listens; throws std::runtime_error when it does not.
  // `plain` serves HTTP instead of HTTPS.
  explicit TStandinProcess(const std::filesystem::path& folder, bool plain = false);
  TStandinProcess(const std::filesystem::path& folder, const TStandinOptions& options);
  // Stops the stand-in (SIGTERM) and waits for its end.
  ~TStandinProcess() = default;
  TStandinProcess(const TStandinProcess&) = delete;
  TStandinProcess& operator=(const TStandinProcess&) = delete;

  int Port() const { return port_; }
  // "https://127.0.0.1:<port>" (or "http://..." when plain), no trailing slash.
  std::string BaseUrl() const;
  // The PEM file of the stand-in's certificate, for SONACLI_CA_BUNDLE.
  std::string CaFile() const { return (folder_ / "standin-ca.pem").string(); }
  // Replaces the script (see tools/README.md); it applies from the next request on.
  void SetScript(const std::string& json) const;
  // Every request received so far, in order: method, path, query, headers (lower-case names), body.
  std::vector<nlohmann::json> Requests() const;

 private:
  std::filesystem::path folder_;
  bool plain_;
  std::unique_ptr<TChildProcess> process_;
  int port_ = 0;
};

}  // namespace sonacli
