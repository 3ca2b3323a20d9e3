#include "audio/trim_silence.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "audio/wav_header.h"

namespace sonacli {

namespace {

constexpr int64_t kMinCutMs = 10;
constexpr int32_t kWindowFrames = 18;
constexpr unsigned char kDigitalSilenceByte = 4;

// Mean absolute sample per byte of the block, rounded (halves to even), below 80.
bool IsQuietBlock(const std::string& pcm, size_t start, size_t length) {
  int64_t sum = 0;
  // Samples lie at even offsets, whatever the block's own alignment.
  for (size_t at = start + start % 2; at + 2 <= start + length; at += 2) {
    sum += std::abs(static_cast<int16_t>(GetUint16(pcm, at)));
  }
  return 2 * sum < 159 * static_cast<int64_t>(length);
}

// About 1 ms of audio.
size_t LoudnessBlock(const TAudioFormat& format) {
  return static_cast<size_t>(format.BlockAlign()) * static_cast<size_t>(format.SampleRate) / 1000;
}

int64_t CountLeadingSilenceMs(const std::string& pcm, const TAudioFormat& format) {
  const size_t block = LoudnessBlock(format);
  int64_t count = 0;
  for (size_t at = 0; block > 0 && at < pcm.size(); at += block) {
    if (!IsQuietBlock(pcm, at, std::min(block, pcm.size() - at))) break;
    ++count;
  }
  return count;
}

int64_t CountTrailingSilenceMs(const std::string& pcm, const TAudioFormat& format) {
  const size_t block = LoudnessBlock(format);
  int64_t count = 0;
  for (size_t end = pcm.size(); block > 0 && end > 0;) {
    const size_t start = end - std::min(block, end);
    if (!IsQuietBlock(pcm, start, end - start)) break;
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

bool IsDigitalSilence(const std::string& pcm, size_t start, size_t length) {
  return std::all_of(pcm.begin() + static_cast<std::ptrdiff_t>(start),
                     pcm.begin() + static_cast<std::ptrdiff_t>(start + length),
                     [](char byte) { return static_cast<unsigned char>(byte) <= kDigitalSilenceByte; });
}

// The kept length after the digital silence at its end is cut and partly given back.
int64_t KeepWithoutDigitalSilence(const std::string& pcm, int64_t cutStart, int64_t keep,
                                  const TAudioFormat& format) {
  const int64_t window = int64_t{kWindowFrames} * format.BlockAlign();
  int64_t windows = 0;
  while (window + format.BitsPerSample < keep &&
         IsDigitalSilence(pcm, static_cast<size_t>(cutStart + keep - window), static_cast<size_t>(window))) {
    keep -= window;
    ++windows;
  }
  return keep + WindowsGivenBack(windows) * window;
}

}  // namespace

void TrimSilence(std::string& pcm, const TAudioFormat& format, double trailingFactor, double leadingFactor) {
  if (format.BitsPerSample != 16 || format.Channels < 1 || format.SampleRate < 1) return;
  const int64_t cutStart = CutBytes(CutMs(CountLeadingSilenceMs(pcm, format), leadingFactor), format);
  const int64_t cutEnd = CutBytes(CutMs(CountTrailingSilenceMs(pcm, format), trailingFactor), format);
  int64_t keep = static_cast<int64_t>(pcm.size()) - cutStart - cutEnd;
  if (keep <= 0) return;
  keep = KeepWithoutDigitalSilence(pcm, cutStart, keep, format);
  pcm.erase(static_cast<size_t>(cutStart + keep));
  pcm.erase(0, static_cast<size_t>(cutStart));
}

}  // namespace sonacli
