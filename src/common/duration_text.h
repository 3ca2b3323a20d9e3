// A duration written as a clock shows it.
#pragma once

#include <cstdint>
#include <string>

namespace sonacli {

// "H:MM:SS", rounded to the nearest second (halves up); hours as many as it takes ("40:00:00").
std::u16string DurationText(int64_t ms);

}  // namespace sonacli
