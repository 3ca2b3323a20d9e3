#include "book/library_version.h"

#include <libxml/globals.h>
#include <zip.h>

#include <cstdlib>

namespace sonacli {

std::string Libxml2Version() {
  // xmlParserVersion is the running library's version as one number: 20914 for 2.9.14.
  const int number = std::atoi(xmlParserVersion);
  return std::to_string(number / 10000) + "." + std::to_string(number / 100 % 100) + "." +
         std::to_string(number % 100);
}

std::string LibzipVersion() {
  return zip_libzip_version();
}

}  // namespace sonacli
