#include "encode/cover_image.h"

#include <cerrno>
#include <cstring>
#include <string>

#include "common/unicode_text.h"
#include "encode/ffmpeg_handles.h"

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

// Decodes the one picture of the bytes; the frame's size must be the header's. False with FFmpeg's
// code in `code` (0 when the picture came out of another size).
bool DecodePicture(std::string_view bytes, const TCoverImage& image, int& code) {
  code = AVERROR(ENOMEM);
  const AVCodec* decoder =
      avcodec_find_decoder(image.Kind == TImageKind::Png ? AV_CODEC_ID_PNG : AV_CODEC_ID_MJPEG);
  if (decoder == nullptr) {
    code = AVERROR_DECODER_NOT_FOUND;
    return false;
  }
  const TCodecContextPtr context(avcodec_alloc_context3(decoder));
  const TFramePtr frame(av_frame_alloc());
  const TPacketPtr packet(av_packet_alloc());
  if (!context || !frame || !packet) return false;
  // Damage is an error rather than concealed: a chunk's checksum, a broken bit stream, data that
  // ends early.
  context->err_recognition = AV_EF_CRCCHECK | AV_EF_BITSTREAM | AV_EF_BUFFER | AV_EF_EXPLODE;
  context->max_pixels = static_cast<int64_t>(kMaxCoverSide) * kMaxCoverSide;
  context->thread_count = 1;
  if ((code = avcodec_open2(context.get(), decoder, nullptr)) < 0) return false;
  // The decoders read a little beyond the data, which must be zeros.
  if ((code = av_new_packet(packet.get(), static_cast<int>(bytes.size()))) < 0) return false;
  std::memcpy(packet->data, bytes.data(), bytes.size());
  if ((code = avcodec_send_packet(context.get(), packet.get())) < 0) return false;
  code = avcodec_receive_frame(context.get(), frame.get());
  if (code == AVERROR(EAGAIN)) {
    avcodec_send_packet(context.get(), nullptr);
    code = avcodec_receive_frame(context.get(), frame.get());
  }
  if (code < 0) return false;
  // A frame that comes out with errors concealed all the same is no whole picture.
  if ((frame->decode_error_flags != 0) || (frame->flags & AV_FRAME_FLAG_CORRUPT) != 0) {
    code = AVERROR_INVALIDDATA;
    return false;
  }
  code = 0;
  return frame->width == image.Width && frame->height == image.Height;
}

}  // namespace

std::optional<TCoverImage> ReadCoverImage(std::string_view bytes) {
  if (bytes.starts_with(kPngSignature)) return ReadPng(bytes);
  if (bytes.starts_with("\xFF\xD8\xFF")) return ReadJpeg(bytes);
  return std::nullopt;
}

bool CheckCover(std::string_view bytes, std::u16string& error) {
  const std::optional<TCoverImage> image = ReadCoverImage(bytes);
  if (!image) {
    error = u"Cover is not a JPEG or PNG image";
    return false;
  }
  if (bytes.size() > kMaxCoverBytes) {
    error = u"Cover image is larger than 15 MiB";
    return false;
  }
  if (image->Width > kMaxCoverSide || image->Height > kMaxCoverSide) {
    error = u"Cover image is too large: " + ToUtf16(std::to_string(image->Width)) + u"x" +
            ToUtf16(std::to_string(image->Height)) + u" pixels (at most " +
            ToUtf16(std::to_string(kMaxCoverSide)) + u" a side)";
    return false;
  }
  return true;
}

bool CheckCoverDecodes(std::string_view bytes, std::u16string& error) {
  if (!CheckCover(bytes, error)) return false;
  SilenceFfmpegLog();
  int code = 0;
  if (DecodePicture(bytes, *ReadCoverImage(bytes), code)) return true;
  if (code == AVERROR(ENOMEM)) {
    error = u"Not enough memory to check the cover image";
  } else {
    error = std::u16string(u"Cover image is damaged: its ") +
            (ReadCoverImage(bytes)->Kind == TImageKind::Png ? u"PNG" : u"JPEG") + u" data cannot be decoded";
  }
  return false;
}

std::string_view MimeType(TImageKind kind) {
  return kind == TImageKind::Png ? "image/png" : "image/jpeg";
}

}  // namespace sonacli
