#include "encode/cover_image.h"

#include <gtest/gtest.h>

#include "common/unicode_text.h"
#include "encode_fixtures.h"

namespace sonacli {
namespace {

TEST(CoverImage, RecognisesRealJpegAndPngImagesWithTheirSize) {
  const std::optional<TCoverImage> jpeg = ReadCoverImage(testing::MakeJpeg(48, 32));
  ASSERT_TRUE(jpeg);
  EXPECT_EQ(jpeg->Kind, TImageKind::Jpeg);
  EXPECT_EQ(jpeg->Width, 48);
  EXPECT_EQ(jpeg->Height, 32);
  EXPECT_EQ(jpeg->BitsPerPixel, 24);
  const std::optional<TCoverImage> png = ReadCoverImage(testing::MakePng(40, 30));
  ASSERT_TRUE(png);
  EXPECT_EQ(png->Kind, TImageKind::Png);
  EXPECT_EQ(png->Width, 40);
  EXPECT_EQ(png->Height, 30);
  EXPECT_EQ(png->BitsPerPixel, 24);
  EXPECT_EQ(MimeType(TImageKind::Png), "image/png");
  EXPECT_EQ(MimeType(TImageKind::Jpeg), "image/jpeg");
}

TEST(CoverImage, RefusesEverythingElseWithAClearMessage) {
  const std::string jpeg = testing::MakeJpeg(48, 32);
  const std::string png = testing::MakePng(40, 30);
  const std::string refused[] = {
      "",
      "GIF89a\x01\x00\x01\x00\x80\x00\x00",
      "BM\x36\x00\x00\x00\x00\x00",
      std::string("RIFF\x24\x00\x00\x00WEBPVP8 ", 16),
      "%PDF-1.4",
      "Just a text file, named cover.jpg",
      jpeg.substr(0, 20),                           // cut before its frame header
      png.substr(0, 20),                            // cut inside its header chunk
      std::string("\xFF\xD8\xFF\xD9", 4),           // ends before a frame
      png.substr(0, 12) + "tEXt" + png.substr(16),  // no header chunk first
  };
  for (const std::string& bytes : refused) {
    std::u16string error;
    EXPECT_FALSE(ReadCoverImage(bytes));
    EXPECT_FALSE(CheckCover(bytes, error));
    EXPECT_EQ(ToUtf8(error), "Cover is not a JPEG or PNG image");
  }
  std::u16string error;
  EXPECT_TRUE(CheckCover(jpeg, error));
  EXPECT_TRUE(CheckCover(png, error));
  // A real image, padded beyond what a FLAC picture block holds.
  EXPECT_FALSE(CheckCover(png + std::string(kMaxCoverBytes, '\0'), error));
  EXPECT_EQ(ToUtf8(error), "Cover image is larger than 15 MiB");
}

// A picture is taken as a cover only once it decodes whole: a header that declares more than a
// player shows, and data damaged or cut short, are refused with a clear message.
TEST(CoverImage, OnlyAPictureThatDecodesWholeIsACover) {
  const std::string jpeg = testing::MakeJpeg(64, 48);
  const std::string png = testing::MakePng(64, 48, true);
  std::u16string error;
  EXPECT_TRUE(CheckCoverDecodes(jpeg, error)) << ToUtf8(error);
  EXPECT_TRUE(CheckCoverDecodes(png, error)) << ToUtf8(error);
  EXPECT_TRUE(CheckCoverDecodes(testing::MakePng(kMaxCoverSide, 1), error)) << ToUtf8(error);

  // 20000 x 20000 declared in the header of a small file; 8001 pixels high.
  std::string huge = png;
  huge.replace(16, 8, std::string("\x00\x00\x4E\x20\x00\x00\x4E\x20", 8));
  std::string tall = png;
  tall.replace(20, 4, std::string("\x00\x00\x1F\x41", 4));
  for (const auto& [bytes, message] :
       {std::pair{huge, "Cover image is too large: 20000x20000 pixels (at most 8000 a side)"},
        std::pair{tall, "Cover image is too large: 64x8001 pixels (at most 8000 a side)"}}) {
    EXPECT_FALSE(CheckCover(bytes, error));
    EXPECT_EQ(ToUtf8(error), message);
    EXPECT_FALSE(CheckCoverDecodes(bytes, error));
    EXPECT_EQ(ToUtf8(error), message);
  }

  const size_t pngData = png.find("IDAT") + 8;
  const size_t jpegScan = jpeg.find("\xFF\xDA") + 16;
  std::string pngFlipped = png;
  pngFlipped[pngData + 20] ^= 0x55;
  std::string jpegGarbled = jpeg;
  for (size_t i = jpegScan; i < jpeg.size() - 2; i += 3) jpegGarbled[i] = '\xFF';
  const struct {
    const char* name;
    std::string bytes;
    const char* message;
  } damaged[] = {
      {"PNG data changed", pngFlipped, "Cover image is damaged: its PNG data cannot be decoded"},
      {"PNG cut in its data", png.substr(0, pngData + 40),
       "Cover image is damaged: its PNG data cannot be decoded"},
      {"JPEG scan garbled", jpegGarbled, "Cover image is damaged: its JPEG data cannot be decoded"},
      {"JPEG cut in its scan", jpeg.substr(0, jpegScan + 10),
       "Cover image is damaged: its JPEG data cannot be decoded"},
  };
  for (const auto& row : damaged) {
    SCOPED_TRACE(row.name);
    EXPECT_TRUE(CheckCover(row.bytes, error));  // the header alone does not tell
    EXPECT_FALSE(CheckCoverDecodes(row.bytes, error));
    EXPECT_EQ(ToUtf8(error), row.message);
  }
}

}  // namespace
}  // namespace sonacli
