// Pseudo-random numbers: temporary names, probe texts, waiting jitter.
#pragma once

#include <cstdint>
#include <random>

namespace sonacli {

// A pseudo-random generator. Not safe for several threads at once: whoever holds one draws from it
// on one thread only (a run draws on the driver's thread; see ARCHITECTURE.md).
class TRandom {
 public:
  explicit TRandom(uint64_t seed) : engine_(seed) {}
  void Seed(uint64_t seed) { engine_.seed(seed); }
  // A number in [0, bound); 0 when bound <= 0.
  int Int(int bound);

 private:
  std::mt19937_64 engine_;
};

// The process's generator, seeded from the clock when first used and again by SeedRandom; the main
// thread's only. The run hands it to the driver in its context; the platform's unique names draw
// from it directly.
TRandom& ProcessRandom();
void SeedRandom(uint64_t seed);
// ProcessRandom().Int(bound).
int RandomInt(int bound);

}  // namespace sonacli
