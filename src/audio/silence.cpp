#include "audio/silence.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "audio/wav_header.h"

namespace sonacli {

namespace {

// Silence is written from one buffer of zeros of this size.
constexpr size_t kSilenceBlock = 8000;

// Bytes of silence for ms of the format: rounded, then cut to whole frames; -1 when the format or
// the length is not usable.
int64_t SilenceBytes(const TAudioFormat& format, int64_t ms) {
  const int32_t blockAlign = format.BlockAlign();
  if (blockAlign <= 0 || format.SampleRate <= 0 || ms < 0) return -1;
  const double exact = std::nearbyint(static_cast<double>(ms) / 1000.0 * format.SampleRate * blockAlign);
  // No disk holds more; beyond it the conversion to an integer would overflow.
  constexpr double kMostBytes = 0x1p62;
  if (exact > kMostBytes) return -1;
  const auto bytes = static_cast<int64_t>(exact);
  return bytes - bytes % blockAlign;
}

}  // namespace

bool MakeSilence(std::string& wav, const TAudioFormat& format, int64_t ms) {
  const int64_t bytes = SilenceBytes(format, ms);
  if (bytes < 0) return false;
  wav = MakeWavHeader(format.SampleRate, format.Channels, format.BitsPerSample, static_cast<uint64_t>(bytes));
  wav.append(static_cast<size_t>(bytes), '\0');
  return true;
}

bool AppendSilence(std::string& pcm, const TAudioFormat& format, int64_t ms) {
  const int64_t bytes = SilenceBytes(format, ms);
  if (bytes < 0) return false;
  pcm.append(static_cast<size_t>(bytes), '\0');
  return true;
}

bool AppendSilence(TAudioSink& sink, int64_t ms) {
  const int64_t bytes = SilenceBytes(sink.Format(), ms);
  if (bytes < 0) return false;
  static const std::string zeros(kSilenceBlock, '\0');
  // Whole frames in every block (SilenceBytes made sure there is a frame size).
  const auto blockAlign = static_cast<size_t>(sink.Format().BlockAlign());
  const size_t block =
      blockAlign < kSilenceBlock ? kSilenceBlock - kSilenceBlock % blockAlign : kSilenceBlock;
  auto left = static_cast<uint64_t>(bytes);
  do {
    const size_t part = static_cast<size_t>(std::min<uint64_t>(left, block));
    if (!sink.Append(std::string_view(zeros).substr(0, part))) return false;
    left -= part;
  } while (left > 0);
  return true;
}

}  // namespace sonacli
