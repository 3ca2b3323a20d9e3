// What a run will do, settled from its options alone before any input is read: the early exits, the
// first check that fails, where the input comes from, and the settings the run goes on with.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "encode/media_tags.h"
#include "encode/output_choice.h"
#include "input/input_reader.h"
#include "main/run_options.h"
#include "settings/run_environment.h"
#include "settings/settings.h"

namespace sonacli {

// What the run prints before it reads any input, and whether it ends there.
enum class TRunStart : uint8_t {
  Version,           // the version text, then the end
  Usage,             // the usage text, then the end
  ValueList,         // the value list, then the end
  ValueListThenRun,  // the value list, then the run goes on
  Run,
};

// Where the text comes from and how it is read.
struct TInputPlan {
  TSourceKind Kind = TSourceKind::CommandText;
  std::vector<std::u16string> FileNames;         // Files: every name given, each one checked
  std::vector<bool> ChapterFiles;                // Files: per name, whether its text starts a chapter
  bool FirstFileOnly = false;                    // Files: a subtitle run voices one file
  std::vector<std::u16string> CommandTextLines;  // CommandText: the -t texts as lines
  TDecodeOptions Decode;
};

struct TRunPlan {
  TRunStart Start = TRunStart::Run;
  // The message of the first check that failed, empty when all passed. A run that Start does not
  // end reports it and ends there.
  std::u16string Error;
  TInputPlan Input;
  // Complete when Error is empty; the values a failed check would have given stay empty.
  TSettings Settings;
  // The output's format, bitrate and folder of chapter files (Format is Raw exactly when
  // Settings.RawOutput is set).
  TOutputChoice Output;
  // The tags as the options gave them (the cover still a file name): the run reads the cover, and
  // a title left empty becomes DefaultTitle.
  TMediaTags Tags;
  std::u16string CoverFileName;
  std::u16string DefaultTitle;  // the first input file's name without its extension
  // The other files the run reads, which no output may take the place of.
  std::vector<std::u16string> ListFileNames;    // the -fl files
  std::vector<std::u16string> ConfigFileNames;  // the configuration files looked for
  // The run's environment, as each layer takes its fields from it; the dry run prints it.
  TRunEnvironment Environment;
  // What the run goes on without, one line each, for standard error.
  std::vector<std::u16string> Warnings;
};

}  // namespace sonacli
