// The order of one run, from the defaults to the driver call and the clean-up.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "dict/dictionary_set.h"
#include "encode/media_tags.h"
#include "encode/output_choice.h"
#include "input/input_text.h"
#include "main/book_input.h"
#include "main/report_error.h"
#include "main/run_options.h"
#include "settings/run_environment.h"
#include "settings/settings.h"
#include "subtitles/subtitle.h"

namespace sonacli {

// What the synthesis step is handed; all of it belongs to the run.
struct TSynthesisInput {
  const TSettings& Settings;           // settled
  const TInputText& Text;              // the input: its lines, their sources, the books' chapters
  const TDictionarySet& Dictionaries;  // loaded
  TErrorReport& Errors;
  const SubtitleList& Subtitles;  // subtitle mode: read, joined and widened; else empty
  const TOutputChoice& Output;    // the output's format, bitrate and folder of chapter files
  const TMediaTags& Tags;         // resolved: the options', the cover read, the default title
  const TBookNotes& Books;        // what the dry run says of the books of the input
  const TRunEnvironment& Environment;
};

// The synthesis step.
using TSynthesisDriver = std::function<void(const TSynthesisInput& input)>;

// Runs the main sequence on the arguments (program name excluded) and returns the exit code: the
// options read (configuration file, command line, environment) and resolved (ResolveRun), the early
// exits, the failed check, then input, selection and filters, dictionaries, subtitles, the checks
// of the paths written, and the driver. Every failure is reported into `errors` and ends the run.
// Every call owns all that it reads and fills.
int RunSequence(const std::vector<std::u16string>& arguments, std::u16string_view executablePath,
                const TSynthesisDriver& driver, TErrorReport& errors);
// The same with an error report of its own.
int RunSequence(const std::vector<std::u16string>& arguments, std::u16string_view executablePath,
                const TSynthesisDriver& driver);

// The options of a run as given: the run's environment first (ReadRunEnvironment), then the
// per-user configuration file (UserConfigFile) and the one beside the program (or -cfg's), each
// when it exists, then the command line, then the environment's key.
TRunOptions ReadRunOptions(const std::vector<std::u16string>& arguments, std::u16string_view executablePath);

}  // namespace sonacli
