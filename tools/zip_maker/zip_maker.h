// ZIP archives built in memory with libzip, for the tests, benchmarks and fuzz targets of the book
// readers.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace sonacli {

struct TZipEntry {
  TZipEntry(std::string name, std::string bytes, bool stored = false, std::string password = {})
      : Name(std::move(name)), Bytes(std::move(bytes)), Stored(stored), Password(std::move(password)) {}

  std::string Name;
  std::string Bytes;
  bool Stored = false;   // kept as it is rather than deflated (an EPUB's "mimetype")
  std::string Password;  // encrypted with AES-256 when not empty
};

// The archive of the entries in their order; empty when libzip refuses one of them.
std::string MakeZip(const std::vector<TZipEntry>& entries);

}  // namespace sonacli
