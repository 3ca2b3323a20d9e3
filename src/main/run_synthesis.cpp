#include "main/run_synthesis.h"

namespace sonacli {

void RunSynthesis() {
  // The text-mode and subtitle-mode drivers are called here once they are built.
}

}  // namespace sonacli
