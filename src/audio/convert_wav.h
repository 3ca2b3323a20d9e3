// Bringing audio to the run's output format: the conversion chain and the loading of inserted
// audio files.
#pragma once

#include <cstdint>
#include <string>

#include "audio/audio_converter.h"
#include "audio/audio_source.h"

namespace sonacli {

// Runs reader -> resampler (best quality, `sampleRate`) -> converter (only when outChannels or
// outBits is not 0) -> WAV writer into `out` (emptied first). Stage errors raise TAudioError.
void ConvertWav(TAudioSource& reader, std::string& out, int32_t sampleRate, int32_t outChannels,
                int32_t outBits, TMSConverterMode mode);
// The same chain (sample width kept) into `out` (emptied first) as samples alone, without a header;
// returns their format.
TAudioFormat ConvertPcm(TAudioSource& reader, std::string& out, int32_t sampleRate, int32_t outChannels,
                        TMSConverterMode mode);

// Loads a ".wav" or ".mp3" file (extension in any letter case) as a canonical WAV in the given
// format into `out`. False for other extensions, unreadable files and conversion errors.
bool LoadAudioInsert(const std::u16string& fileName, std::string& out, int32_t sampleRate,
                     int32_t bitsPerSample, int32_t channels);

}  // namespace sonacli
