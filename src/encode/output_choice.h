// What a run's output is beyond the PCM format: the format it is written in (chosen by the -w
// file's extension or by --format), the bitrate of the lossy formats, and the folder that gets one
// file per chapter.
#pragma once

#include <cstdint>
#include <string>

#include "encode/output_format.h"

namespace sonacli {

struct TOutputChoice {
  TOutputFormat Format = TOutputFormat::Wav;  // Raw exactly when the settings' RawOutput is set
  int32_t BitrateKbps = 0;                    // 0: DefaultBitrate
  std::u16string SplitChaptersFolder;         // empty: no files per chapter
};

// Today's output: WAV (or what -o, --raw and --ignore-length make of it).
inline const TOutputChoice kWavOutputChoice{};

}  // namespace sonacli
