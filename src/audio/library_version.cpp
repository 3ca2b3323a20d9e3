#include "audio/library_version.h"

#include <opus/opus_defines.h>
#include <sndfile.h>
#include <soundtouch/SoundTouch.h>
#include <soxr.h>

#include <string_view>

namespace sonacli {

namespace {

// The version number from a library's own text: "libsndfile-1.2.0" gives "1.2.0" and
// "libsoxr-0.1.3" gives "0.1.3". A text without the prefix stays whole.
std::string VersionAfter(std::string_view text, std::string_view prefix) {
  if (!text.starts_with(prefix)) return std::string(text);
  text.remove_prefix(prefix.size());
  return std::string(text.substr(0, text.find(' ')));
}

}  // namespace

std::string OpusVersion() {
  return VersionAfter(opus_get_version_string(), "libopus ");
}

std::string OpusfileVersion() {
  return SONACLI_OPUSFILE_VERSION " (at build time)";
}

std::string SoxrVersion() {
  return VersionAfter(soxr_version(), "libsoxr-");
}

std::string SoundTouchVersion() {
  return soundtouch::SoundTouch::getVersionString();
}

std::string SndfileVersion() {
  return VersionAfter(sf_version_string(), "libsndfile-");
}

}  // namespace sonacli
