// The one audio output of a run: its format, where it goes, and the sink that is opened for it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "audio/audio_sink.h"
#include "audio/audio_source.h"
#include "audio/wav_header.h"
#include "settings/settings.h"

namespace sonacli {

// Output format of one driver run, copied from the first decoded answer.
struct TOutputData {
  std::u16string FileName;  // temporary output WAV; set only for file output
  int32_t Channels = 0;
  int32_t SampleRate = 0;
  int32_t BitsPerSample = 0;

  TAudioFormat Format() const { return {SampleRate, Channels, BitsPerSample}; }
};

// Where the output goes, fixed when it is opened.
struct TOutputSettings {
  bool ToStdout = false;
  bool RawOutput = false;       // only the samples go out
  bool OmitDataLength = false;  // header size fields 0
  int StdoutFd = 1;             // the descriptor standing for standard output
  // Larger data make the finished file or buffer an RF64 file instead of a canonical WAV.
  uint64_t PlainWavLimit = kMaxPlainWavDataSize;
};

// The output options of a run, from its resolved settings.
TOutputSettings OutputSettingsFrom(const TSettings& settings);

// Opens the run's output for PCM of `format`: with ToStdout, a raw stream (RawOutput), a WAV
// stream sent as it comes with its sizes 0 (OmitDataLength), or a WAV held until the end with its
// sizes filled in; otherwise a WAV file created at format.FileName. --raw wins over
// --ignore-length; neither counts without ToStdout. Null when the file cannot be created. A closed
// pipe on standard output makes the appends fail instead of ending the process.
std::unique_ptr<TAudioSink> OpenOutput(const TOutputData& format, const TOutputSettings& settings);

// Reads rate, channels and bits of a WAV held in memory into `format`; false when it is no WAV.
bool ReadWavFormat(const std::string& stream, TOutputData& format);

}  // namespace sonacli
