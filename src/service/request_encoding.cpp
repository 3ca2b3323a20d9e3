#include "service/request_encoding.h"

#include <cstdint>

namespace sonacli {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool KeptByUrlEncoding(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' || c == '-' ||
         c == '.' || c == '/' || c == ':' || c == '=' || c == '?' || c == '@' || c == '_';
}

void AppendUnicodeEscape(std::string& out, char16_t c) {
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out += kHexDigits[(c >> shift) & 0xF];
}

}  // namespace

std::string UrlEncodeUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size() * 3);
  for (const char byte : bytes) {
    const auto c = static_cast<unsigned char>(byte);
    if (KeptByUrlEncoding(c)) {
      out += byte;
    } else {
      out += '%';
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 0xF];
    }
  }
  return out;
}

std::string JsonEscape(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char16_t c : text) {
    switch (c) {
      case 8:
        out += "\\b";
        break;
      case 9:
        out += "\\t";
        break;
      case 10:
        out += "\\n";
        break;
      case 12:
        out += "\\f";
        break;
      case 13:
        out += "\\r";
        break;
      case u'"':
        out += "\\\"";
        break;
      case u'/':
        out += "\\/";
        break;
      case u'\\':
        out += "\\\\";
        break;
      default:
        if (c < 32 || c >= 128) {
          AppendUnicodeEscape(out, c);
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  return out;
}

}  // namespace sonacli
