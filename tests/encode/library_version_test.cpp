#include "encode/library_version.h"

#include <gtest/gtest.h>

namespace sonacli {
namespace {

// The loaded libraries are the ones of the packages the build found.
TEST(EncodeLibraryVersion, LibrariesReportTheVersionsOfTheirPackages) {
  EXPECT_EQ(AvformatVersion(), SONACLI_TEST_AVFORMAT_VERSION);
  EXPECT_EQ(AvcodecVersion(), SONACLI_TEST_AVCODEC_VERSION);
  EXPECT_EQ(AvutilVersion(), SONACLI_TEST_AVUTIL_VERSION);
}

}  // namespace
}  // namespace sonacli
