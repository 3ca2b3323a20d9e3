// The program's entry: start-up, the locale check and the run sequence.
#pragma once

namespace sonacli {

// Runs the program on the process's arguments and returns its exit code (0 or 1).
int RunProgram(int argc, char** argv);

}  // namespace sonacli
