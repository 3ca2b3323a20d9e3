// The output formats a run can write: which file extension or name chooses each, which of them
// go through an encoder, which can go to a pipe, and which sample rates each codec carries.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sonacli {

enum class TOutputFormat { Wav, Raw, Opus, Mp3, M4b, Flac };

// The format a file name's extension chooses, whatever its case: ".wav"; ".opus" and ".ogg" (Ogg
// Opus); ".mp3"; ".m4b" and ".m4a" (AAC in MP4); ".flac". Nothing for any other or no extension.
std::optional<TOutputFormat> FormatFromFileName(std::u16string_view fileName);
// The extensions FormatFromFileName knows, for a message: ".wav, .opus, .ogg, .mp3, .m4b, .m4a, .flac".
std::u16string KnownExtensions();

// The format a name chooses, whatever its case: "wav", "raw", "opus", "mp3", "m4b", "flac".
std::optional<TOutputFormat> FormatFromName(std::u16string_view name);
// The names of the formats standard output can carry, for a message: "wav, raw, opus, mp3, flac".
std::u16string StreamFormatNames();

// The extension of the format's files: ".wav", ".opus", ".mp3", ".m4b", ".flac"; ".pcm" for raw PCM.
std::u16string_view FormatExtension(TOutputFormat format);

// The format's name in messages: "WAV", "raw PCM", "Opus", "MP3", "M4B", "FLAC".
std::u16string_view FormatTitle(TOutputFormat format);
// Everything but WAV and raw PCM goes through an encoder.
bool IsEncoded(TOutputFormat format);
// Whether the format can be written to a pipe: an MP4 file ends with the index of its samples,
// which points back into the file, so M4B needs a file it can seek in.
bool CanStream(TOutputFormat format);

// Whether the format's codec carries PCM of this rate (Hz) and channel count (1 or 2). Opus
// codes 8, 12, 16, 24 and 48 kHz only, so of the run's rates 11.025, 22.05, 32 and 44.1 kHz are
// refused rather than resampled. False with the message otherwise.
bool CheckFormatCarries(TOutputFormat format, int32_t sampleRate, int32_t channels, std::u16string& error);

}  // namespace sonacli
