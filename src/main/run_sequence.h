// The order of one run, from the defaults to the driver call and the clean-up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace sonacli {

// The synthesis step; it reads the settled settings and InputLines.
using TSynthesisDriver = std::function<void()>;

// Runs the main sequence on the arguments (program name excluded) and returns the exit code:
// options, early exits, validation, input, selection and filters, dictionaries, subtitles,
// output settings, then the driver. Every failure is reported and ends the run.
int RunSequence(const std::vector<std::u16string>& arguments, std::u16string_view executablePath,
                const TSynthesisDriver& driver);

// The output sample rate in Hz for the -fr value in kHz; -1 stands for an absent -fr (24000).
int32_t SampleRateForFrequency(int32_t kiloHertz);

}  // namespace sonacli
