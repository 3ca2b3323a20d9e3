#include "audio/library_version.h"

#include <gtest/gtest.h>

namespace sonacli {
namespace {

// The loaded libraries are the ones of the packages the build found, so their own texts must
// reduce to exactly the packages' versions.
TEST(AudioLibraryVersion, LibrariesReportTheVersionsOfTheirPackages) {
  EXPECT_EQ(OpusVersion(), SONACLI_TEST_OPUS_VERSION);
  EXPECT_EQ(SoxrVersion(), SONACLI_TEST_SOXR_VERSION);
  EXPECT_EQ(SoundTouchVersion(), SONACLI_TEST_SOUNDTOUCH_VERSION);
  EXPECT_EQ(SndfileVersion(), SONACLI_TEST_SNDFILE_VERSION);
  EXPECT_EQ(OpusfileVersion(), SONACLI_TEST_OPUSFILE_VERSION " (at build time)");
}

}  // namespace
}  // namespace sonacli
