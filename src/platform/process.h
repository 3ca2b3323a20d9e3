// The process and its environment: locale, own path, arguments.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

// A locale's name split into its parts: "ru_RU.UTF-8" gives language "ru" and territory "RU";
// "C", "POSIX" and nothing give empty parts.
struct TLocaleName {
  std::string language;
  std::string territory;
};
TLocaleName LocaleNameOf(std::string_view value);
// The locale of the environment: LC_ALL, else LC_CTYPE, else LANG.
TLocaleName CurrentLocaleName();

// The Windows locale identifier of the environment's locale (0x0429 for Persian in Iran);
// 0x0409 when the locale is not one the table knows.
uint32_t SystemLocaleId();

// The full path of the running executable (from /proc/self/exe); empty when it cannot be read.
std::u16string ExecutablePath();

// The value of an environment variable, decoded as UTF-8; empty when it is not set.
std::u16string EnvironmentVariable(const char* name);

// The command-line arguments after the program name, decoded as UTF-8.
std::vector<std::u16string> DecodeArguments(int argc, char** argv);

// Sets the C allocator up for a run that makes and frees buffers of some hundred KiB to a few MiB
// for every answer: such blocks stay in the heap for the next answer, instead of being mapped and
// unmapped, or trimmed off the heap, each time, which costs page faults on every answer. Larger
// blocks are still mapped, and the heap still shrinks once much more than that lies free at its top.
// All threads share one heap.
void KeepAnswerBuffersInTheHeap();

}  // namespace sonacli
