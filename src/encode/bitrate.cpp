#include "encode/bitrate.h"

#include <algorithm>
#include <span>

#include "common/unicode_text.h"

namespace sonacli {
namespace {

// Any larger value is out of every codec's range; more digits are not read.
constexpr int32_t kLargestParsed = 1000000;

// The constant bitrates of MPEG-1 (32 to 48 kHz), MPEG-2 (16 to 24 kHz) and MPEG-2.5 (8 to 12 kHz)
// layer III.
constexpr int32_t kMpeg1Steps[] = {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr int32_t kMpeg2Steps[] = {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr int32_t kMpeg25Steps[] = {8, 16, 24, 32, 40, 48, 56, 64};

std::span<const int32_t> Mp3Steps(int32_t sampleRate) {
  if (sampleRate >= 32000) return kMpeg1Steps;
  if (sampleRate >= 16000) return kMpeg2Steps;
  return kMpeg25Steps;
}

struct Range {
  int32_t Min;
  int32_t Max;
};

Range AacRange(int32_t sampleRate, int32_t channels) {
  // An AAC frame of 1024 samples holds at most 6144 bits per channel.
  const int64_t frameLimit = int64_t{6} * sampleRate * channels / 1000;
  return {16, static_cast<int32_t>(std::min<int64_t>(320, frameLimit))};
}

Range OpusRange(int32_t channels) {
  return {6, 256 * channels};
}

std::u16string Number(int64_t value) {
  return ToUtf16(std::to_string(value));
}

std::u16string StepList(std::span<const int32_t> steps) {
  std::u16string list;
  for (int32_t step : steps) list += (list.empty() ? u"" : u", ") + Number(step);
  return list;
}

bool OutOfRange(std::u16string_view title, Range range, std::u16string& error) {
  error = u"Bitrate out of range for " + std::u16string(title) + u": " + Number(range.Min) + u" to " +
          Number(range.Max) + u" kbps";
  return false;
}

}  // namespace

bool ParseBitrate(std::u16string_view text, int32_t& kbps, std::u16string& error) {
  const bool digits = !text.empty() && std::all_of(text.begin(), text.end(),
                                                   [](char16_t c) { return c >= u'0' && c <= u'9'; });
  int64_t value = 0;
  for (char16_t c : text) {
    if (!digits) break;
    value = std::min<int64_t>(value * 10 + (c - u'0'), kLargestParsed);
  }
  if (!digits || value == 0) {
    error = u"Wrong bitrate value (a whole number of kbps from 1 up): " + std::u16string(text);
    return false;
  }
  kbps = static_cast<int32_t>(value);
  return true;
}

bool CheckBitrate(TOutputFormat format, int32_t sampleRate, int32_t channels, int32_t kbps,
                  std::u16string& error) {
  if (kbps == 0) return true;
  switch (format) {
    case TOutputFormat::Opus: {
      const Range range = OpusRange(channels);
      return (kbps >= range.Min && kbps <= range.Max) || OutOfRange(u"Opus", range, error);
    }
    case TOutputFormat::M4b: {
      const Range range = AacRange(sampleRate, channels);
      return (kbps >= range.Min && kbps <= range.Max) || OutOfRange(u"AAC", range, error);
    }
    case TOutputFormat::Mp3: {
      const std::span<const int32_t> steps = Mp3Steps(sampleRate);
      if (std::find(steps.begin(), steps.end(), kbps) != steps.end()) return true;
      error = u"MP3 at " + Number(sampleRate) + u" Hz takes a bitrate of " + StepList(steps) + u" kbps";
      return false;
    }
    case TOutputFormat::Flac:
      error = u"FLAC is lossless: a bitrate does not apply";
      return false;
    default:
      error = std::u16string(FormatTitle(format)) + u" output has no bitrate to choose";
      return false;
  }
}

int32_t DefaultBitrate(TOutputFormat format, int32_t sampleRate, int32_t channels) {
  const bool stereo = channels > 1;
  switch (format) {
    case TOutputFormat::Opus:
      return stereo ? 64 : 32;
    case TOutputFormat::Mp3:
      return std::min(stereo ? 96 : 64, Mp3Steps(sampleRate).back());
    case TOutputFormat::M4b:
      return std::min(stereo ? 128 : 64, AacRange(sampleRate, channels).Max);
    default:
      return 0;
  }
}

}  // namespace sonacli
