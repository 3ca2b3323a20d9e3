#include "platform/random.h"

#include <chrono>
#include <random>

namespace sonacli {

namespace {
std::mt19937_64& Generator() {
  static std::mt19937_64 generator(
      static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
  return generator;
}
}  // namespace

void SeedRandom(uint64_t seed) {
  Generator().seed(seed);
}

int RandomInt(int bound) {
  if (bound <= 0) return 0;
  return std::uniform_int_distribution<int>(0, bound - 1)(Generator());
}

}  // namespace sonacli
