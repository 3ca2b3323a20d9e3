#include "platform/random.h"

#include <chrono>

namespace sonacli {

int TRandom::Int(int bound) {
  if (bound <= 0) return 0;
  return std::uniform_int_distribution<int>(0, bound - 1)(engine_);
}

TRandom& ProcessRandom() {
  static TRandom generator(
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  return generator;
}

void SeedRandom(uint64_t seed) {
  ProcessRandom().Seed(seed);
}

int RandomInt(int bound) {
  return ProcessRandom().Int(bound);
}

}  // namespace sonacli
