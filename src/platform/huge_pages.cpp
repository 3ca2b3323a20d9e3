#include "platform/huge_pages.h"

#include <sys/mman.h>

#include <cstdint>

namespace sonacli {

void AdviseHugePages(void* data, size_t bytes) {
  constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
  const auto start = reinterpret_cast<uintptr_t>(data);
  const uintptr_t first = (start + kHugePage - 1) & ~(kHugePage - 1);
  const uintptr_t last = (start + bytes) & ~(kHugePage - 1);
  if (last <= first) return;
  // A refusal only leaves the buffer on ordinary pages.
  madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

}  // namespace sonacli
