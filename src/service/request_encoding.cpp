#include "service/request_encoding.h"

#include <array>
#include <cstdint>

namespace sonacli {
namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int kPadding = 64;
constexpr int kSkipped = -1;

bool KeptByUrlEncoding(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '*' || c == '-' ||
         c == '.' || c == '/' || c == ':' || c == '=' || c == '?' || c == '@' || c == '_';
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  if (c == '=') return kPadding;
  return kSkipped;
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

void DecodeBase64(std::string_view text, std::string& stream) {
  std::array<int, 4> group{};
  size_t filled = 0;
  for (const char c : text) {
    const int value = Base64Value(c);
    if (value == kSkipped) continue;
    group[filled++] = value;
    if (filled < 4) continue;
    filled = 0;
    if (group[0] == kPadding || group[1] == kPadding) return;
    stream += static_cast<char>((group[0] << 2) | (group[1] >> 4));
    if (group[2] == kPadding) return;
    stream += static_cast<char>(((group[1] << 4) | (group[2] >> 2)) & 0xFF);
    if (group[3] == kPadding) return;
    stream += static_cast<char>(((group[2] << 6) | group[3]) & 0xFF);
  }
}

}  // namespace sonacli
