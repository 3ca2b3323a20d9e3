// The canonical 44-byte PCM WAV header that every audio piece of the program starts with.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace sonacli {

// Samples of every canonical WAV start at this byte.
inline constexpr uint32_t kWavHeaderSize = 44;
// The most data whose RIFF size (data + 36) still fits the 32-bit field.
inline constexpr uint64_t kMaxPlainWavDataSize = 0xFFFFFFFFull - 36;
// An RF64 header: "RF64", a "ds64" chunk with the 64-bit sizes, the "fmt " chunk, the "data" chunk head.
inline constexpr uint32_t kRf64HeaderSize = 80;

// The 44 header bytes: RIFF size = dataBytes + 36, format 1 (PCM), byte rate and block align from the
// arguments, data size = dataBytes. Size fields hold the low 32 bits.
std::string MakeWavHeader(int32_t sampleRate, int32_t channels, int32_t bitsPerSample, uint64_t dataBytes);

// Writes the header with RIFF size 36 and data size 0 at `position` of the stream, overwriting or
// extending it; the stream's bytes after the header stay.
void WriteWavHeader(std::string& stream, size_t position, int32_t sampleRate, int32_t channels,
                    int32_t bitsPerSample);

// Puts length - 44 at offset 40 and length - 8 at offset 4 (low 32 bits); streams shorter than the
// header are left alone.
void FinalizeWavHeader(std::string& stream);

// The RF64 header (EBU Tech 3306) for dataBytes of samples in the format of a canonical header: both
// 32-bit sizes 0xFFFFFFFF, the real ones (and the frame count) in the "ds64" chunk.
std::string MakeRf64Header(const std::string& canonicalHeader, uint64_t dataBytes);

// Little-endian field access on byte strings; the caller guarantees the bytes exist.
void PutUint32(std::string& bytes, size_t offset, uint32_t value);
void PutUint16(std::string& bytes, size_t offset, uint16_t value);
void PutUint64(std::string& bytes, size_t offset, uint64_t value);
uint32_t GetUint32(const std::string& bytes, size_t offset);
uint16_t GetUint16(const std::string& bytes, size_t offset);

// The samples of a canonical WAV: everything after its 44-byte header (nothing for a shorter one).
std::string_view WavSamples(const std::string& wav);

// True when the bytes start with the canonical 44-byte PCM header ("RIFF", "WAVE", a 16-byte "fmt "
// chunk of format 1, then "data") and the data chunk runs exactly to the end of the bytes, so that the
// samples are everything after byte 44 and nothing else follows them.
bool HasCanonicalWavHeader(const std::string& bytes);

}  // namespace sonacli
