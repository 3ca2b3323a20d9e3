#include "support/wait_until.h"

#include <algorithm>
#include <thread>

namespace sonacli {

bool WaitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  constexpr std::chrono::milliseconds kLongestPause{32};
  const auto end = std::chrono::steady_clock::now() + limit;
  std::chrono::milliseconds pause{1};
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, kLongestPause);
  }
  return true;
}

}  // namespace sonacli
