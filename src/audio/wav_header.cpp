#include "audio/wav_header.h"

namespace sonacli {

void PutUint32(std::string& bytes, size_t offset, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

void PutUint16(std::string& bytes, size_t offset, uint16_t value) {
  bytes[offset] = static_cast<char>(value & 0xFF);
  bytes[offset + 1] = static_cast<char>(value >> 8);
}

void PutUint64(std::string& bytes, size_t offset, uint64_t value) {
  PutUint32(bytes, offset, static_cast<uint32_t>(value));
  PutUint32(bytes, offset + 4, static_cast<uint32_t>(value >> 32));
}

uint32_t GetUint32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = (value << 8) | static_cast<uint8_t>(bytes[offset + i]);
  return value;
}

uint16_t GetUint16(const std::string& bytes, size_t offset) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) |
                               (static_cast<uint8_t>(bytes[offset + 1]) << 8));
}

std::string MakeWavHeader(int32_t sampleRate, int32_t channels, int32_t bitsPerSample, uint64_t dataBytes) {
  const uint32_t blockAlign = static_cast<uint32_t>(channels * bitsPerSample / 8);
  std::string header(kWavHeaderSize, '\0');
  header.replace(0, 4, "RIFF");
  PutUint32(header, 4, static_cast<uint32_t>(dataBytes + 36));
  header.replace(8, 8, "WAVEfmt ");
  PutUint32(header, 16, 16);
  PutUint16(header, 20, 1);
  PutUint16(header, 22, static_cast<uint16_t>(channels));
  PutUint32(header, 24, static_cast<uint32_t>(sampleRate));
  PutUint32(header, 28, static_cast<uint32_t>(sampleRate) * blockAlign);
  PutUint16(header, 32, static_cast<uint16_t>(blockAlign));
  PutUint16(header, 34, static_cast<uint16_t>(bitsPerSample));
  header.replace(36, 4, "data");
  PutUint32(header, 40, static_cast<uint32_t>(dataBytes));
  return header;
}

void WriteWavHeader(std::string& stream, size_t position, int32_t sampleRate, int32_t channels,
                    int32_t bitsPerSample) {
  const std::string header = MakeWavHeader(sampleRate, channels, bitsPerSample, 0);
  if (stream.size() < position + header.size()) stream.resize(position + header.size());
  stream.replace(position, header.size(), header);
}

void FinalizeWavHeader(std::string& stream) {
  if (stream.size() < kWavHeaderSize) return;
  PutUint32(stream, 40, static_cast<uint32_t>(stream.size() - kWavHeaderSize));
  PutUint32(stream, 4, static_cast<uint32_t>(stream.size() - 8));
}

std::string MakeRf64Header(const std::string& canonicalHeader, uint64_t dataBytes) {
  std::string header(kRf64HeaderSize, '\0');
  header.replace(0, 4, "RF64");
  PutUint32(header, 4, 0xFFFFFFFF);
  header.replace(8, 8, "WAVEds64");
  PutUint32(header, 16, 28);
  PutUint64(header, 20, dataBytes + kRf64HeaderSize - 8);
  PutUint64(header, 28, dataBytes);
  const uint16_t blockAlign = GetUint16(canonicalHeader, 32);
  PutUint64(header, 36, blockAlign == 0 ? 0 : dataBytes / blockAlign);
  PutUint32(header, 44, 0);                         // no table of further sizes
  header.replace(48, 24, canonicalHeader, 12, 24);  // the "fmt " chunk as it was
  header.replace(72, 4, "data");
  PutUint32(header, 76, 0xFFFFFFFF);
  return header;
}

std::string_view WavSamples(const std::string& wav) {
  if (wav.size() <= kWavHeaderSize) return {};
  return std::string_view(wav).substr(kWavHeaderSize);
}

bool HasCanonicalWavHeader(const std::string& bytes) {
  if (bytes.size() < kWavHeaderSize) return false;
  return bytes.compare(0, 4, "RIFF") == 0 && bytes.compare(8, 8, "WAVEfmt ") == 0 &&
         GetUint32(bytes, 16) == 16 && GetUint16(bytes, 20) == 1 && bytes.compare(36, 4, "data") == 0 &&
         GetUint32(bytes, 40) == bytes.size() - kWavHeaderSize;
}

}  // namespace sonacli
