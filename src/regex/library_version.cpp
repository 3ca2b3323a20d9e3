#include "regex/library_version.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

#include <vector>

namespace sonacli {

std::string Pcre2Version() {
  // The answer comes in 16-bit code units, terminator included; the version is plain ASCII.
  const int length = pcre2_config(PCRE2_CONFIG_VERSION, nullptr);
  if (length <= 0) return {};
  std::vector<PCRE2_UCHAR> units(static_cast<size_t>(length));
  pcre2_config(PCRE2_CONFIG_VERSION, units.data());
  std::string text;
  for (PCRE2_UCHAR unit : units) {
    if (unit == 0) break;
    text += static_cast<char>(unit);
  }
  uint32_t jit = 0;
  if (pcre2_config(PCRE2_CONFIG_JIT, &jit) == 0 && jit) text += " (JIT)";
  return text;
}

}  // namespace sonacli
