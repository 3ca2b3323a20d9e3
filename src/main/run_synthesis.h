// The synthesis step of the program: the real service and the driver the settings ask for.
#pragma once

#include "main/run_sequence.h"

namespace sonacli {

// Runs the text-mode or the subtitle-mode driver against the speech service, with interruption by SIGINT and
// SIGTERM (waits are cut short, the audio made so far is completed and saved, the temporary folder removed).
// With --dry-run it runs RunDryRun instead.
void RunSynthesis(const TSynthesisInput& input);

// The dry run's end: the requests planned by the driver's own planning, the cache (when given and
// already there) asked which of them it answers, and the plan printed on standard output (the
// summary, or with --list-requests one line per request). Nothing is sent and nothing is written.
void RunDryRun(const TSynthesisInput& input);

}  // namespace sonacli
