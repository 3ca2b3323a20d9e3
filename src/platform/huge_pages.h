// Large buffers that are scanned from end to end many times over.
#pragma once

#include <cstddef>

namespace sonacli {

// Asks the kernel to back the 2 MiB-aligned stretches of a freshly reserved buffer with huge pages,
// so that passes over texts of many megabytes do not stall on address translation. Only a hint: it
// does nothing on a small buffer or when the system does not allow it.
void AdviseHugePages(void* data, size_t bytes);

}  // namespace sonacli
