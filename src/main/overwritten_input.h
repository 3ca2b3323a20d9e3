// An output that would take the place of a file the run reads (the text's own file, a dictionary,
// the cover), found before anything is paid for or written.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "main/run_plan.h"

namespace sonacli {

// The message that refuses the run when a file it would write (the audio, the LRC, SRT and chapter
// files) is one it reads: an input file, a -fl list, a dictionary, a sound file that the text
// (`lines`: the user's own text, text mode) inserts, the cover or a configuration file. Files are compared as
// files, by device and inode, so another name of the same file (a hard link, a symbolic link, another path to
// it) counts too. A file of the folder of --split-chapters with the output's extension counts as
// written: a chapter file may take its name. Two outputs that would be one file (the LRC file named
// as the audio) are refused the same way, since the later would replace the earlier. Nothing when no
// output is an input or another output.
std::optional<std::u16string> OverwrittenInput(const TRunPlan& plan,
                                               const std::vector<std::u16string>& lines);

}  // namespace sonacli
