// The synthesis phase: the text-mode or subtitle-mode driver on the settled settings.
#pragma once

namespace sonacli {

// Creates the synthesis object, runs the driver of the current mode on InputLines (or the
// subtitle list) and destroys the object. Failures are reported by the driver itself.
void RunSynthesis();

}  // namespace sonacli
