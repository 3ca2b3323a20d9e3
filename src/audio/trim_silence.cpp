#include "audio/trim_silence.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <optional>

#include "audio/audio_source.h"
#include "audio/wav_header.h"

namespace sonacli {

namespace {

constexpr int64_t kMinCutMs = 10;
constexpr int32_t kWindowFrames = 18;
constexpr unsigned char kDigitalSilenceByte = 4;

// The format of a canonical 16-bit PCM header; the size fields are not trusted.
std::optional<TAudioFormat> CanonicalFormat(const std::string& buffer) {
  if (buffer.size() < kWavHeaderSize || buffer.compare(0, 4, "RIFF") != 0 ||
      buffer.compare(8, 8, "WAVEfmt ") != 0 || GetUint16(buffer, 20) != 1 ||
      buffer.compare(36, 4, "data") != 0) {
    return std::nullopt;
  }
  TAudioFormat format{static_cast<int32_t>(GetUint32(buffer, 24)), GetUint16(buffer, 22),
                      GetUint16(buffer, 34)};
  if (format.BitsPerSample != 16 || format.Channels < 1 || format.SampleRate < 1) return std::nullopt;
  return format;
}

// Mean absolute sample per byte of the block, rounded (halves to even), below 80.
bool IsQuietBlock(const std::string& buffer, size_t start, size_t length) {
  int64_t sum = 0;
  // Samples lie at even offsets from the header, whatever the block's own alignment.
  for (size_t at = start + (start - kWavHeaderSize) % 2; at + 2 <= start + length; at += 2) {
    sum += std::abs(static_cast<int16_t>(GetUint16(buffer, at)));
  }
  return 2 * sum < 159 * static_cast<int64_t>(length);
}

// About 1 ms of audio.
size_t LoudnessBlock(const TAudioFormat& format) {
  return static_cast<size_t>(format.BlockAlign()) * static_cast<size_t>(format.SampleRate) / 1000;
}

int64_t CountLeadingSilenceMs(const std::string& buffer, const TAudioFormat& format) {
  const size_t block = LoudnessBlock(format);
  int64_t count = 0;
  for (size_t at = kWavHeaderSize; block > 0 && at < buffer.size(); at += block) {
    if (!IsQuietBlock(buffer, at, std::min(block, buffer.size() - at))) break;
    ++count;
  }
  return count;
}

int64_t CountTrailingSilenceMs(const std::string& buffer, const TAudioFormat& format) {
  const size_t block = LoudnessBlock(format);
  int64_t count = 0;
  for (size_t end = buffer.size(); block > 0 && end > kWavHeaderSize;) {
    const size_t start = end - std::min(block, end - kWavHeaderSize);
    if (!IsQuietBlock(buffer, start, end - start)) break;
    ++count;
    end = start;
  }
  return count;
}

// round(ms / 1000 x rate x block align) bytes, reduced to whole frames.
int64_t CutBytes(int64_t ms, const TAudioFormat& format) {
  const auto bytes = static_cast<int64_t>(
      std::nearbyint(static_cast<double>(ms) / 1000.0 * format.SampleRate * format.BlockAlign()));
  return bytes - bytes % format.BlockAlign();
}

int64_t CutMs(int64_t quietMs, double factor) {
  return std::max(kMinCutMs, static_cast<int64_t>(std::nearbyint(static_cast<double>(quietMs) * factor)));
}

// Windows given back of the digital silence cut at the end, so that speech does not end abruptly.
int64_t WindowsGivenBack(int64_t windowsCut) {
  if (windowsCut > 80) return 70;
  if (windowsCut > 60) return 50;
  if (windowsCut > 30) return 25;
  if (windowsCut > 20) return 15;
  if (windowsCut > 10) return 8;
  return 0;
}

bool IsDigitalSilence(const std::string& buffer, size_t start, size_t length) {
  return std::all_of(buffer.begin() + static_cast<std::ptrdiff_t>(start),
                     buffer.begin() + static_cast<std::ptrdiff_t>(start + length),
                     [](char byte) { return static_cast<unsigned char>(byte) <= kDigitalSilenceByte; });
}

// The kept length after the digital silence at its end is cut and partly given back.
int64_t KeepWithoutDigitalSilence(const std::string& buffer, int64_t cutStart, int64_t keep,
                                  const TAudioFormat& format) {
  const int64_t window = int64_t{kWindowFrames} * format.BlockAlign();
  int64_t windows = 0;
  while (window + format.BitsPerSample < keep &&
         IsDigitalSilence(buffer, static_cast<size_t>(kWavHeaderSize + cutStart + keep - window),
                          static_cast<size_t>(window))) {
    keep -= window;
    ++windows;
  }
  return keep + WindowsGivenBack(windows) * window;
}

}  // namespace

void TrimSilence(std::string& buffer, double trailingFactor, double leadingFactor) {
  const std::optional<TAudioFormat> format = CanonicalFormat(buffer);
  if (!format) return;
  const int64_t cutStart = CutBytes(CutMs(CountLeadingSilenceMs(buffer, *format), leadingFactor), *format);
  const int64_t cutEnd = CutBytes(CutMs(CountTrailingSilenceMs(buffer, *format), trailingFactor), *format);
  int64_t keep = static_cast<int64_t>(buffer.size() - kWavHeaderSize) - cutStart - cutEnd;
  if (keep <= 0) return;
  keep = KeepWithoutDigitalSilence(buffer, cutStart, keep, *format);
  buffer.erase(static_cast<size_t>(kWavHeaderSize + cutStart + keep));
  buffer.erase(kWavHeaderSize, static_cast<size_t>(cutStart));
  FinalizeWavHeader(buffer);
}

}  // namespace sonacli
