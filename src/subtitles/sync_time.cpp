#include "subtitles/sync_time.h"

#include <algorithm>

#include "common/unicode_text.h"

namespace sonacli {

namespace {

// The number in decimal, with "0" put in front up to `width` digits.
std::u16string Padded(int64_t value, size_t width) {
  std::u16string digits = ToUtf16(std::to_string(value));
  if (digits.size() < width) digits.insert(0, width - digits.size(), u'0');
  return digits;
}

}  // namespace

int64_t PcmDurationMs(int64_t dataBytes, int32_t channels, int32_t sampleRate, int32_t bitsPerSample) {
  const uint32_t perSecondBits = static_cast<uint32_t>(channels) * static_cast<uint32_t>(sampleRate) *
                                 static_cast<uint32_t>(bitsPerSample);
  if (dataBytes <= 0 || perSecondBits == 0) return 0;
  // bytes x 8000 / bits per second, split so that the product cannot overflow before the result does.
  const uint64_t bytes = static_cast<uint64_t>(dataBytes);
  return static_cast<int64_t>(bytes / perSecondBits * 8000u + bytes % perSecondBits * 8000u / perSecondBits);
}

int64_t AudioDurationMs(const TAudioSink* output) {
  if (output == nullptr) return 0;
  const TAudioFormat& format = output->Format();
  return PcmDurationMs(output->Frames() * format.BlockAlign(), format.Channels, format.SampleRate,
                       format.BitsPerSample);
}

// Built by appending: GCC 12 warns falsely of overlapping copies in a chain of "+" on a literal.
std::u16string FormatLrcTime(int64_t ms) {
  ms = std::max<int64_t>(ms, 0);
  const int64_t rest = ms % 60000;
  std::u16string time = u"[";
  time += Padded(ms / 60000, 2);
  time += u':';
  time += Padded(rest / 1000, 2);
  time += u'.';
  time += Padded(rest % 1000 / 10, 2);
  time += u']';
  return time;
}

std::u16string FormatSrtTime(int64_t ms, bool isEnd) {
  ms = std::max<int64_t>(ms, 0);
  if (isEnd && ms > 0) --ms;
  const int64_t rest = ms % 3600000;
  std::u16string time = Padded(ms / 3600000, 2);
  time += u':';
  time += Padded(rest / 60000, 2);
  time += u':';
  time += Padded(rest % 60000 / 1000, 2);
  time += u',';
  time += Padded(rest % 1000, 3);
  return time;
}

}  // namespace sonacli
