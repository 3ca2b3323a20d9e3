#include "encode/cover_image.h"

namespace sonacli {
namespace {

constexpr std::string_view kPngSignature = "\x89PNG\r\n\x1a\n";

uint32_t BigEndian(std::string_view bytes, size_t at, size_t count) {
  uint32_t value = 0;
  for (size_t i = 0; i < count; ++i) value = value << 8 | static_cast<uint8_t>(bytes[at + i]);
  return value;
}

std::optional<TCoverImage> ReadPng(std::string_view bytes) {
  // Signature, then the IHDR chunk: length, type, width, height, bit depth, colour type.
  if (bytes.size() < 26 || bytes.substr(12, 4) != "IHDR") return std::nullopt;
  const uint32_t width = BigEndian(bytes, 16, 4);
  const uint32_t height = BigEndian(bytes, 20, 4);
  const auto depth = static_cast<int32_t>(static_cast<uint8_t>(bytes[24]));
  // Samples per pixel by colour type: grey, -, RGB, palette, grey + alpha, -, RGBA.
  constexpr int32_t kSamples[] = {1, 0, 3, 1, 2, 0, 4};
  const auto colourType = static_cast<uint8_t>(bytes[25]);
  if (width == 0 || height == 0 || width > INT32_MAX || height > INT32_MAX || colourType > 6 ||
      kSamples[colourType] == 0) {
    return std::nullopt;
  }
  return TCoverImage{TImageKind::Png, static_cast<int32_t>(width), static_cast<int32_t>(height),
                     depth * kSamples[colourType]};
}

// A start-of-frame marker (baseline, progressive, lossless, arithmetic); not DHT (C4), JPG (C8)
// or DAC (CC), which share the range.
bool FrameMarker(uint8_t marker) {
  return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

std::optional<TCoverImage> ReadJpeg(std::string_view bytes) {
  size_t at = 2;
  // Segments follow the start marker: FF, marker, 16-bit length (which counts itself), content.
  while (at + 4 <= bytes.size()) {
    if (static_cast<uint8_t>(bytes[at]) != 0xFF) return std::nullopt;
    const auto marker = static_cast<uint8_t>(bytes[at + 1]);
    if (marker == 0xFF) {  // fill byte
      ++at;
      continue;
    }
    const uint32_t length = BigEndian(bytes, at + 2, 2);
    if (length < 2) return std::nullopt;
    if (FrameMarker(marker)) {
      // Precision, height, width, components.
      if (length < 8 || at + 10 > bytes.size()) return std::nullopt;
      const auto precision = static_cast<int32_t>(static_cast<uint8_t>(bytes[at + 4]));
      const auto height = static_cast<int32_t>(BigEndian(bytes, at + 5, 2));
      const auto width = static_cast<int32_t>(BigEndian(bytes, at + 7, 2));
      const auto components = static_cast<int32_t>(static_cast<uint8_t>(bytes[at + 9]));
      if (width == 0 || height == 0) return std::nullopt;
      return TCoverImage{TImageKind::Jpeg, width, height, precision * components};
    }
    if (marker == 0xD9 || marker == 0xDA) return std::nullopt;  // end of image or scan before a frame
    at += 2 + length;
  }
  return std::nullopt;
}

}  // namespace

std::optional<TCoverImage> ReadCoverImage(std::string_view bytes) {
  if (bytes.starts_with(kPngSignature)) return ReadPng(bytes);
  if (bytes.starts_with("\xFF\xD8\xFF")) return ReadJpeg(bytes);
  return std::nullopt;
}

bool CheckCover(std::string_view bytes, std::u16string& error) {
  if (!ReadCoverImage(bytes)) {
    error = u"Cover is not a JPEG or PNG image";
    return false;
  }
  if (bytes.size() > kMaxCoverBytes) {
    error = u"Cover image is larger than 15 MiB";
    return false;
  }
  return true;
}

std::string_view MimeType(TImageKind kind) {
  return kind == TImageKind::Png ? "image/png" : "image/jpeg";
}

}  // namespace sonacli
