// What an encoded output says about itself beside its chapters.
#pragma once

#include <string>

namespace sonacli {

struct TMediaTags {
  std::u16string Title;   // stored as the title and as the album
  std::u16string Author;  // stored as the artist and as the album artist
  std::string Cover;      // the bytes of a JPEG or PNG image (CheckCover); empty for none
};

inline const TMediaTags kNoMediaTags{};

}  // namespace sonacli
