// The resolve step: the options of a run in, its plan and settings out. It reads nothing and
// changes nothing, so that every rule between what the user typed and what the run does is settled
// here, once, in the order in which the run reports its checks.
#pragma once

#include <cstdint>

#include "main/run_options.h"
#include "main/run_plan.h"

namespace sonacli {

// Settles the run: the early exit, the first failing check of the voice, the output and the key,
// the input plan (the subtitle mode and format that the first input file's name implies, the -t
// text as lines, the decoding), and every setting the run goes on with (--raw and --ignore-length
// only on standard output, the sample rate, the LRC and SRT files beside the output, the rate
// limit of fitted subtitles, no progress line on standard output), and the warnings of what the run
// goes on without (unknown options, a tone the voice lacks).
TRunPlan ResolveRun(const TRunOptions& options);

// The output sample rate in Hz for the -fr value in kHz; -1 stands for an absent -fr (24000).
int32_t SampleRateForFrequency(int32_t kiloHertz);

}  // namespace sonacli
