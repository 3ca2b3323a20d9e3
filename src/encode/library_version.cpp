#include "encode/library_version.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/avutil.h>
}

namespace sonacli {
namespace {

std::string VersionText(unsigned version) {
  return std::to_string(AV_VERSION_MAJOR(version)) + "." + std::to_string(AV_VERSION_MINOR(version)) + "." +
         std::to_string(AV_VERSION_MICRO(version));
}

}  // namespace

std::string AvformatVersion() {
  return VersionText(avformat_version());
}

std::string AvcodecVersion() {
  return VersionText(avcodec_version());
}

std::string AvutilVersion() {
  return VersionText(avutil_version());
}

}  // namespace sonacli
