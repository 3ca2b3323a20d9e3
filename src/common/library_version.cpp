#include "common/library_version.h"

#include <unicode/uchar.h>
#include <unicode/uversion.h>

namespace sonacli {

namespace {

std::string VersionText(const UVersionInfo info) {
  char text[U_MAX_VERSION_STRING_LENGTH] = {};
  u_versionToString(info, text);
  return text;
}

}  // namespace

std::string IcuVersion() {
  UVersionInfo icu;
  u_getVersion(icu);
  UVersionInfo unicode;
  u_getUnicodeVersion(unicode);
  return VersionText(icu) + " (Unicode " + VersionText(unicode) + ")";
}

}  // namespace sonacli
