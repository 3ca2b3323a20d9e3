#include "main/version_text.h"

#include <string_view>

#include "audio/library_version.h"
#include "book/library_version.h"
#include "common/library_version.h"
#include "common/unicode_text.h"
#include "encode/library_version.h"
#include "http/library_version.h"
#include "input/library_version.h"
#include "platform/console.h"
#include "regex/library_version.h"

namespace sonacli {

namespace {

struct TLibraryVersion {
  std::string_view Name;
  std::string (*Version)();
};

// Every library the program is linked with, each asked by the folder that wraps it.
constexpr TLibraryVersion kLibraries[] = {
    {"libcurl", CurlVersion},          {"libopus", OpusVersion},
    {"libopusfile", OpusfileVersion},  {"libsoxr", SoxrVersion},
    {"SoundTouch", SoundTouchVersion}, {"libsndfile", SndfileVersion},
    {"PCRE2", Pcre2Version},           {"ICU", IcuVersion},
    {"uchardet", UchardetVersion},     {"libavformat", AvformatVersion},
    {"libavcodec", AvcodecVersion},    {"libavutil", AvutilVersion},
    {"libxml2", Libxml2Version},       {"libzip", LibzipVersion},
};

constexpr size_t kNameWidth = 15;

}  // namespace

std::vector<std::string> VersionLines() {
  std::vector<std::string> lines = {"sonacli " SONACLI_VERSION};
  for (const TLibraryVersion& library : kLibraries) {
    std::string line = "  " + std::string(library.Name);
    line.resize(2 + kNameWidth, ' ');
    lines.push_back(line + library.Version());
  }
  return lines;
}

void PrintVersion() {
  for (const std::string& line : VersionLines()) PrintLine(ToUtf16(line));
}

}  // namespace sonacli
