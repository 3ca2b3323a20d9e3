#include "audio/convert_wav.h"

#include <memory>
#include <optional>

#include "audio/audio_error.h"
#include "audio/resampler.h"
#include "audio/wav_header.h"
#include "audio/wave_in.h"
#include "audio/wave_out.h"
#include "common/unicode_text.h"
#include "platform/file_system.h"
#include "platform/quiet_standard_error.h"
#include "platform/text_file.h"

namespace sonacli {
namespace {

std::u16string LowerExtension(const std::u16string& fileName) {
  const size_t dot = fileName.find_last_of(u'.');
  const size_t slash = fileName.find_last_of(u'/');
  if (dot == std::u16string::npos || (slash != std::u16string::npos && dot < slash)) return u"";
  return LowerCase(fileName.substr(dot));
}

// Brings a reader's audio to the requested format. A file already in that format is taken byte for
// byte only when its header is the canonical one, since the appender skips exactly 44 bytes; any other
// layout (extra chunks such as "LIST" or "fact") gets its samples under a canonical header.
void LoadInFormat(TWaveIn& reader, const std::u16string& fileName, std::string& out, int32_t sampleRate,
                  int32_t bitsPerSample, int32_t channels) {
  const TAudioFormat wanted{sampleRate, channels, bitsPerSample};
  if (reader.Format() == wanted && reader.RawPcm()) {
    if (!fileName.empty()) {
      std::string bytes;
      if (ReadFileBytes(fileName, bytes) && HasCanonicalWavHeader(bytes)) {
        out = std::move(bytes);
        return;
      }
    }
    out.clear();
    TWaveOut(out).Run(reader);
    return;
  }
  ConvertWav(reader, out, sampleRate, channels, bitsPerSample, TMSConverterMode::msmMonoToBoth);
}

}  // namespace

namespace {

// Builds the chain on the reader and hands its last stage to `write`.
template <typename Write>
void RunChain(TAudioSource& reader, int32_t sampleRate, int32_t outChannels, int32_t outBits,
              TMSConverterMode mode, Write&& write) {
  TResampler resampler(&reader);
  resampler.SetQuality(TResamplerQuality::rqBest);
  resampler.SetOutSampleRate(sampleRate);
  std::optional<TAudioConverter> converter;
  TAudioSource* last = &resampler;
  if (outChannels != 0 || outBits != 0) {
    converter.emplace(&resampler);
    converter->SetMode(mode);
    converter->SetOutChannels(outChannels);
    converter->SetOutBitsPerSample(outBits);
    last = &*converter;
  }
  write(*last);
}

}  // namespace

void ConvertWav(TAudioSource& reader, std::string& out, int32_t sampleRate, int32_t outChannels,
                int32_t outBits, TMSConverterMode mode) {
  out.clear();
  RunChain(reader, sampleRate, outChannels, outBits, mode,
           [&](TAudioSource& last) { TWaveOut(out).Run(last); });
}

TAudioFormat ConvertPcm(TAudioSource& reader, std::string& out, int32_t sampleRate, int32_t outChannels,
                        TMSConverterMode mode) {
  out.clear();
  TAudioFormat format;
  RunChain(reader, sampleRate, outChannels, 0, mode,
           [&](TAudioSource& last) { format = AppendSamples(last, out); });
  return format;
}

bool LoadAudioInsert(const std::u16string& fileName, std::string& out, int32_t sampleRate,
                     int32_t bitsPerSample, int32_t channels) {
  try {
    const std::u16string extension = LowerExtension(fileName);
    if (extension == u".wav") {
      const auto reader = TWaveIn::OpenFile(NativePath(fileName));
      if (!reader || !reader->IsWave()) return false;
      LoadInFormat(*reader, fileName, out, sampleRate, bitsPerSample, channels);
      return true;
    }
    if (extension == u".mp3") {
      // The decoder reports damaged frames on standard error; the driver says what failed.
      const TQuietStandardError quiet;
      const auto decoder = TWaveIn::OpenFile(NativePath(fileName));
      if (!decoder) return false;
      std::string decoded;
      TWaveOut(decoded).Run(*decoder);
      const auto reader = TWaveIn::OpenMemory(decoded);
      if (!reader) return false;
      LoadInFormat(*reader, u"", out, sampleRate, bitsPerSample, channels);
      return true;
    }
    return false;
  } catch (const std::exception&) {
    out.clear();
    return false;
  }
}

}  // namespace sonacli
