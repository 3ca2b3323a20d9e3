#include "common/base64.h"

#include <array>

namespace sonacli {
namespace {

constexpr int kPadding = 64;
constexpr int kSkipped = -1;

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  if (c == '=') return kPadding;
  return kSkipped;
}

}  // namespace

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
