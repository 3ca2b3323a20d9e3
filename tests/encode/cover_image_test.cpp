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

}  // namespace
}  // namespace sonacli
