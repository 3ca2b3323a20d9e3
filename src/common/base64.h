// Base64 as the service's v3 answers and the images of FB2 books carry it.
#pragma once

#include <string>
#include <string_view>

namespace sonacli {

// Appends the bytes of base64 text to `stream`. Characters outside the alphabet are skipped; "="
// ends the decoding; a final incomplete group of four is dropped.
void DecodeBase64(std::string_view text, std::string& stream);

}  // namespace sonacli
