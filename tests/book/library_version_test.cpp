#include "book/library_version.h"

#include <gtest/gtest.h>
#include <libxml/xmlversion.h>
#include <zip.h>

namespace sonacli {
namespace {

TEST(BookLibraryVersion, NamesTheVersionsTheProgramRunsWith) {
  // Debian builds against the library it runs with, so the running versions are the headers'.
  EXPECT_EQ(Libxml2Version(), LIBXML_DOTTED_VERSION);
  EXPECT_EQ(LibzipVersion(), LIBZIP_VERSION);
}

}  // namespace
}  // namespace sonacli
