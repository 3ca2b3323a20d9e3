// The process-wide pseudo-random generator: temporary folder names, probe texts, waiting jitter.
#pragma once

#include <cstdint>

namespace sonacli {

// Seeds the generator (the program seeds it from the clock at start).
void SeedRandom(uint64_t seed);
// A number in [0, bound); 0 when bound <= 0.
int RandomInt(int bound);

}  // namespace sonacli
