// ReadCoverImage: the whole input is the image file. A recognised image has the signature of its
// kind and a size; CheckCover takes it unless it is too large in bytes or pixels, and
// CheckCoverDecodes takes only what CheckCover takes and FFmpeg's decoder decodes whole.
#include <cstdlib>
#include <string>

#include "encode/cover_image.h"
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes = sonacli::fuzz::Bytes(data, size);
  const std::optional<sonacli::TCoverImage> image = sonacli::ReadCoverImage(bytes);
  std::u16string error;
  const bool accepted = sonacli::CheckCover(bytes, error);
  const bool fits = image && size <= sonacli::kMaxCoverBytes && image->Width <= sonacli::kMaxCoverSide &&
                    image->Height <= sonacli::kMaxCoverSide;
  if (accepted != fits || accepted == !error.empty()) std::abort();
  std::u16string decodeError;
  const bool decoded = sonacli::CheckCoverDecodes(bytes, decodeError);
  if ((decoded && !accepted) || decoded == !decodeError.empty()) std::abort();
  if (!image) return 0;
  const bool png = bytes.starts_with("\x89PNG");
  if (image->Width <= 0 || image->Height <= 0 || png != (image->Kind == sonacli::TImageKind::Png))
    std::abort();
  return 0;
}
