#include "audio/audio_output.h"

#include <algorithm>

#include "audio/raw_stream_sink.h"
#include "audio/wav_file_sink.h"
#include "audio/wav_stream_sink.h"
#include "audio/wave_in.h"
#include "platform/descriptor.h"

namespace sonacli {

static_assert(TSettings().PlainWavLimit == kMaxPlainWavDataSize,
              "the settings' default is the format's limit");

TOutputSettings OutputSettingsFrom(const TSettings& options) {
  TOutputSettings settings;
  settings.ToStdout = options.ToStdout;
  // The settings are resolved: --raw and --ignore-length are already off unless the audio goes to
  // standard output.
  settings.RawOutput = options.RawOutput;
  settings.OmitDataLength = options.OmitDataLength;
  settings.PlainWavLimit = std::min(options.PlainWavLimit, kMaxPlainWavDataSize);
  return settings;
}

std::unique_ptr<TAudioSink> OpenOutput(const TOutputData& format, const TOutputSettings& settings) {
  if (!settings.ToStdout)
    return TWavFileSink::Create(format.FileName, format.Format(), settings.PlainWavLimit);
  IgnoreBrokenPipe();
  if (settings.RawOutput) return std::make_unique<TRawStreamSink>(format.Format(), settings.StdoutFd);
  const auto sizes =
      settings.OmitDataLength ? TWavStreamSink::TSizes::Omitted : TWavStreamSink::TSizes::AtTheEnd;
  return std::make_unique<TWavStreamSink>(format.Format(), settings.StdoutFd, sizes, settings.PlainWavLimit);
}

bool ReadWavFormat(const std::string& stream, TOutputData& format) {
  const auto reader = TWaveIn::OpenMemory(stream);
  // The reader decodes more than WAV (Ogg Opus among others); only a WAV gives the output format.
  if (!reader || !reader->IsWave()) return false;
  const TAudioFormat found = reader->Format();
  format.SampleRate = found.SampleRate;
  format.Channels = found.Channels;
  format.BitsPerSample = found.BitsPerSample;
  return true;
}

}  // namespace sonacli
