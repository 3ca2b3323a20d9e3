#include "platform/process.h"

#include <malloc.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string_view>

#include "common/unicode_text.h"

namespace sonacli {

namespace {

struct LocaleId {
  const char* name;  // language, or language_TERRITORY
  uint32_t id;
};

// The identifiers the program may meet; a language alone stands for its main territory.
constexpr LocaleId kLocaleIds[] = {
    {"fa_IR", 0x0429}, {"fa", 0x0429}, {"ru", 0x0419}, {"uk", 0x0422},    {"be", 0x0423}, {"kk", 0x043F},
    {"uz", 0x0443},    {"tr", 0x041F}, {"de", 0x0407}, {"en_GB", 0x0809}, {"en", 0x0409}, {"fr", 0x040C},
    {"es", 0x0C0A},    {"it", 0x0410}, {"pl", 0x0415}, {"cs", 0x0405},    {"ja", 0x0411}, {"zh", 0x0804},
    {"ko", 0x0412},    {"ar", 0x0401}, {"he", 0x040D}, {"el", 0x0408},    {"bg", 0x0402}, {"sr", 0x0C1A},
};

std::string LocaleVariable() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value && *value) return value;
  }
  return "";
}

}  // namespace

TLocaleName LocaleNameOf(std::string_view value) {
  value = value.substr(0, value.find_first_of(".@"));
  if (value == "C" || value == "POSIX") return {};
  TLocaleName locale;
  const size_t underscore = value.find('_');
  locale.language = value.substr(0, underscore);
  if (underscore != std::string_view::npos) locale.territory = value.substr(underscore + 1);
  return locale;
}

TLocaleName CurrentLocaleName() {
  return LocaleNameOf(LocaleVariable());
}

uint32_t SystemLocaleId() {
  TLocaleName locale = CurrentLocaleName();
  std::string full = locale.language + "_" + locale.territory;
  for (const LocaleId& entry : kLocaleIds) {
    if (full == entry.name) return entry.id;
  }
  for (const LocaleId& entry : kLocaleIds) {
    if (locale.language == entry.name) {
      // Persian outside Iran is another locale (Afghanistan's Dari is 0x048C).
      if (entry.id == 0x0429 && !locale.territory.empty()) continue;
      return entry.id;
    }
  }
  return 0x0409;
}

std::u16string ExecutablePath() {
  char buffer[PATH_MAX];
  ssize_t length = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (length <= 0) return u"";
  return ToUtf16(std::string_view(buffer, static_cast<size_t>(length)));
}

std::u16string EnvironmentVariable(const char* name) {
  const char* value = std::getenv(name);
  return value ? ToUtf16(value) : std::u16string();
}

std::vector<std::u16string> DecodeArguments(int argc, char** argv) {
  std::vector<std::u16string> arguments;
  for (int i = 1; i < argc; ++i) arguments.push_back(ToUtf16(argv[i]));
  return arguments;
}

void KeepAnswerBuffersInTheHeap() {
  // Fixed values also stop glibc from adjusting them to the blocks freed so far.
  constexpr int kMapFromBytes = 16 << 20;
  constexpr int kTrimFromBytes = 64 << 20;
  mallopt(M_MMAP_THRESHOLD, kMapFromBytes);
  mallopt(M_TRIM_THRESHOLD, kTrimFromBytes);
  // One heap for every thread: with an arena of its own, each sending thread kept up to the trim
  // threshold of freed answer buffers, and a long run's peak grew with the threads that had
  // happened to take the largest answers.
  mallopt(M_ARENA_MAX, 1);
}

}  // namespace sonacli
