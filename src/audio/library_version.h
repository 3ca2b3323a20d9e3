// The versions of the audio libraries the program runs with, for --version.
#pragma once

#include <string>

namespace sonacli {

// libopus's version as the loaded library reports it: "1.3.1".
std::string OpusVersion();
// libopusfile has no call that tells its version, so this is the version of the package the
// program was built with, marked as such: "0.12 (at build time)".
std::string OpusfileVersion();
// libsoxr's version as the loaded library reports it: "0.1.3".
std::string SoxrVersion();
// SoundTouch's version as the loaded library reports it: "2.3.2".
std::string SoundTouchVersion();
// libsndfile's version as the loaded library reports it: "1.2.0".
std::string SndfileVersion();

}  // namespace sonacli
