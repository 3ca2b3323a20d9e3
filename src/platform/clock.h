// Milliseconds of a steady clock, and sleeping.
#pragma once

#include <cstdint>

namespace sonacli {

int64_t TickCountMs();
void SleepMs(int64_t ms);

}  // namespace sonacli
