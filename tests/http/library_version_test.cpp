#include "http/library_version.h"

#include <curl/curl.h>
#include <gtest/gtest.h>

namespace sonacli {
namespace {

TEST(HttpLibraryVersion, NamesLibcurlAndItsTlsLibrary) {
  const std::string version = CurlVersion();
  EXPECT_TRUE(version.starts_with(LIBCURL_VERSION " (OpenSSL/")) << version;
  EXPECT_TRUE(version.ends_with(")")) << version;
}

}  // namespace
}  // namespace sonacli
