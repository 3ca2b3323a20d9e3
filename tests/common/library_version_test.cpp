#include "common/library_version.h"

#include <gtest/gtest.h>
#include <unicode/uchar.h>
#include <unicode/uvernum.h>

namespace sonacli {
namespace {

TEST(CommonLibraryVersion, NamesIcuAndItsUnicodeVersion) {
  EXPECT_EQ(IcuVersion(), U_ICU_VERSION " (Unicode " U_UNICODE_VERSION ")");
}

}  // namespace
}  // namespace sonacli
