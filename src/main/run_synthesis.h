// The synthesis step of the program: the real service and the driver the settings ask for.
#pragma once

#include "main/run_sequence.h"

namespace sonacli {

// Runs the text-mode or the subtitle-mode driver against the speech service, with interruption by SIGINT and
// SIGTERM (waits are cut short, the audio made so far is completed and saved, the temporary folder removed).
void RunSynthesis(const TSynthesisInput& input);

}  // namespace sonacli
