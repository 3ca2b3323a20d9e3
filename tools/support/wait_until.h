// Waiting in tests for something that another thread or process makes true.
#pragma once

#include <chrono>
#include <functional>

namespace sonacli {

// Asks `condition` again and again until it holds or `limit` has passed: every millisecond at
// first, then less often, at most 32 ms apart, so that a quick change is seen at once and a slow
// one costs little. Whether it held. The default limit is long enough for a loaded machine.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds limit = std::chrono::seconds(20));

}  // namespace sonacli
