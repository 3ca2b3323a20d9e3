// Every option of the command line and of the configuration file, with what it does.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "main/run_options.h"

namespace sonacli {

// More requests at once than this gain little and strain the service.
inline constexpr int32_t kMaxJobs = 8;
// A narrator's pause longer than a minute is no pause but a gap in the audio.
inline constexpr int32_t kMaxPauseMs = 60000;

// Applies an option's value (empty for options without argument). Values are as written; an
// action lowers them itself where the option asks for it. Unusable values change nothing.
using TOptionAction = void (*)(TRunOptions& options, std::u16string_view value, TOptionSource source);

struct TOption {
  std::u16string_view Name;  // lower case
  bool TakesArgument;
  TOptionAction Apply;
};

std::span<const TOption> OptionTable();
// The option of that name (lower case), or nullptr.
const TOption* FindOption(std::u16string_view loweredName);
// Records the option as given and applies it.
void ApplyOption(const TOption& option, std::u16string_view value, TOptionSource source,
                 TRunOptions& options);

// A decimal integer with an optional sign that fits 32 bits; nothing else.
std::optional<int32_t> ParseInteger(std::u16string_view text);
// Adds one -ln value to the line selections: "N" or "N-M" with both numbers above 0, written back
// without leading zeros. Anything else adds nothing.
void AddLineSelection(std::u16string_view text, std::vector<std::u16string>& lineSelections);
// Appends every non-empty line of the list file to the input file names, each marked as starting
// a chapter; an unreadable file adds nothing.
void ReadListFile(std::u16string_view fileName, TRunOptions& options);

}  // namespace sonacli
