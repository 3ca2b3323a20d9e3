#include "encode/output_format.h"

#include <algorithm>
#include <array>

#include "common/unicode_text.h"
#include "platform/file_system.h"

namespace sonacli {
namespace {

struct FormatRow {
  TOutputFormat Format;
  std::u16string_view Name;
  std::u16string_view Title;
  std::array<std::u16string_view, 2> Extensions;  // empty entries unused
  bool Streams;
};

constexpr FormatRow kFormats[] = {
    {TOutputFormat::Wav, u"wav", u"WAV", {u".wav", u""}, true},
    {TOutputFormat::Raw, u"raw", u"raw PCM", {u"", u""}, true},
    {TOutputFormat::Opus, u"opus", u"Opus", {u".opus", u".ogg"}, true},
    {TOutputFormat::Mp3, u"mp3", u"MP3", {u".mp3", u""}, true},
    {TOutputFormat::M4b, u"m4b", u"M4B", {u".m4b", u".m4a"}, false},
    {TOutputFormat::Flac, u"flac", u"FLAC", {u".flac", u""}, true},
};

const FormatRow& RowOf(TOutputFormat format) {
  return *std::find_if(std::begin(kFormats), std::end(kFormats),
                       [format](const FormatRow& row) { return row.Format == format; });
}

std::u16string JoinedList(std::u16string_view a, std::u16string_view b) {
  return a.empty() ? std::u16string(b) : std::u16string(a) + u", " + std::u16string(b);
}

// The sample rates (Hz) each codec codes; none for the formats that take any.
constexpr int32_t kOpusRates[] = {8000, 12000, 16000, 24000, 48000};
constexpr int32_t kMp3Rates[] = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};
constexpr int32_t kAacRates[] = {7350,  8000,  11025, 12000, 16000, 22050, 24000,
                                 32000, 44100, 48000, 64000, 88200, 96000};

template <size_t N>
bool Holds(const int32_t (&rates)[N], int32_t rate) {
  return std::find(std::begin(rates), std::end(rates), rate) != std::end(rates);
}

}  // namespace

std::u16string_view FormatExtension(TOutputFormat format) {
  const std::u16string_view first = RowOf(format).Extensions[0];
  return first.empty() ? u".pcm" : first;
}

std::optional<TOutputFormat> FormatFromFileName(std::u16string_view fileName) {
  const std::u16string extension = LowerCase(ExtensionOf(fileName));
  if (extension.empty()) return std::nullopt;
  for (const FormatRow& row : kFormats) {
    for (std::u16string_view known : row.Extensions) {
      if (!known.empty() && extension == known) return row.Format;
    }
  }
  return std::nullopt;
}

std::u16string KnownExtensions() {
  std::u16string list;
  for (const FormatRow& row : kFormats) {
    for (std::u16string_view known : row.Extensions) {
      if (!known.empty()) list = JoinedList(list, known);
    }
  }
  return list;
}

std::optional<TOutputFormat> FormatFromName(std::u16string_view name) {
  const std::u16string lower = LowerCase(name);
  for (const FormatRow& row : kFormats) {
    if (lower == row.Name) return row.Format;
  }
  return std::nullopt;
}

std::u16string StreamFormatNames() {
  std::u16string list;
  for (const FormatRow& row : kFormats) {
    if (row.Streams) list = JoinedList(list, row.Name);
  }
  return list;
}

std::u16string_view FormatTitle(TOutputFormat format) {
  return RowOf(format).Title;
}

bool IsEncoded(TOutputFormat format) {
  return format != TOutputFormat::Wav && format != TOutputFormat::Raw;
}

bool CanStream(TOutputFormat format) {
  return RowOf(format).Streams;
}

bool CheckFormatCarries(TOutputFormat format, int32_t sampleRate, int32_t channels, std::u16string& error) {
  if (!IsEncoded(format)) return true;
  if (channels != 1 && channels != 2) {
    error = std::u16string(FormatTitle(format)) + u" output takes mono or stereo audio";
    return false;
  }
  bool carried = true;
  switch (format) {
    case TOutputFormat::Opus:
      carried = Holds(kOpusRates, sampleRate);
      break;
    case TOutputFormat::Mp3:
      carried = Holds(kMp3Rates, sampleRate);
      break;
    case TOutputFormat::M4b:
      carried = Holds(kAacRates, sampleRate);
      break;
    default:
      carried = sampleRate > 0 && sampleRate <= 655350;  // FLAC's limit
      break;
  }
  if (carried) return true;
  error = format == TOutputFormat::Opus
              ? std::u16string(u"Opus output needs a sample rate of 8, 16, 24 or 48 kHz")
              : std::u16string(FormatTitle(format)) + u" output cannot carry a sample rate of " +
                    ToUtf16(std::to_string(sampleRate)) + u" Hz";
  return false;
}

}  // namespace sonacli
