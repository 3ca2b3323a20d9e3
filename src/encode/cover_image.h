// The cover picture of an encoded output: a JPEG or PNG image, recognised by its content.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sonacli {

enum class TImageKind { Jpeg, Png };

struct TCoverImage {
  TImageKind Kind = TImageKind::Jpeg;
  int32_t Width = 0;
  int32_t Height = 0;
  int32_t BitsPerPixel = 0;
};

// A larger picture does not fit the 16 MiB metadata block of a FLAC file beside its description;
// no cover comes near it.
inline constexpr size_t kMaxCoverBytes = size_t{15} << 20;

// What the bytes hold: a JPEG image (its start marker, then a frame header with its size) or a
// PNG image (its signature, then the header chunk). Nothing for anything else, a truncated header
// included.
std::optional<TCoverImage> ReadCoverImage(std::string_view bytes);

// The largest side of a cover in pixels: players show covers of a few hundred pixels, and FFmpeg's
// decoders refuse far smaller images than those a header can declare.
inline constexpr int32_t kMaxCoverSide = 8000;

// Whether the bytes can be a cover, by their header: a JPEG or PNG image within kMaxCoverBytes and
// kMaxCoverSide; false with the message otherwise. Cheap: no pixel is decoded.
bool CheckCover(std::string_view bytes, std::u16string& error);

// The whole check of a picture before a run takes it as its cover: CheckCover, then the image
// decoded by FFmpeg's decoder of its kind with every damage an error, so that a picture a player
// could not show is never embedded. False with the message otherwise.
bool CheckCoverDecodes(std::string_view bytes, std::u16string& error);

// "image/jpeg" or "image/png".
std::string_view MimeType(TImageKind kind);

}  // namespace sonacli
