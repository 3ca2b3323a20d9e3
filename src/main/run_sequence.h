// The order of one run, from the defaults to the driver call and the clean-up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dict/dictionary_set.h"
#include "main/report_error.h"
#include "main/run_state.h"
#include "settings/settings.h"
#include "subtitles/subtitle.h"

namespace sonacli {

// What the synthesis step is handed; all of it belongs to the run.
struct TSynthesisInput {
  const TSettings& Settings;                 // settled
  const std::vector<std::u16string>& Lines;  // the input text, one entry per line
  const TDictionarySet& Dictionaries;        // loaded
  TErrorReport& Errors;
  const SubtitleList& Subtitles;  // subtitle mode: read, joined and widened; else empty
};

// The synthesis step.
using TSynthesisDriver = std::function<void(const TSynthesisInput& input)>;

// Runs the main sequence on the arguments (program name excluded) and returns the exit code:
// options, early exits, validation, input, selection and filters, dictionaries, subtitles,
// output settings, then the driver. Every failure is reported into `errors` and ends the run.
// Every call starts from the default settings and owns all that it reads and fills.
int RunSequence(const std::vector<std::u16string>& arguments, std::u16string_view executablePath,
                const TSynthesisDriver& driver, TErrorReport& errors);
// The same on a fresh run state of the caller's, which keeps what the run settled (for tests).
int RunSequence(const std::vector<std::u16string>& arguments, std::u16string_view executablePath,
                const TSynthesisDriver& driver, TErrorReport& errors, TRunState& state);
// The same with an error report of its own.
int RunSequence(const std::vector<std::u16string>& arguments, std::u16string_view executablePath,
                const TSynthesisDriver& driver);

// The output sample rate in Hz for the -fr value in kHz; -1 stands for an absent -fr (24000).
int32_t SampleRateForFrequency(int32_t kiloHertz);

}  // namespace sonacli
