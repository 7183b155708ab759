#include "model/LargeBuffer.h"

#include <cstdlib>

#ifdef __linux__
#include <sys/mman.h>
#endif

namespace vode {

namespace {

constexpr std::size_t HugePage = std::size_t{2} << 20;

}  // namespace

void* allocateLarge(std::size_t bytes) {
  if (bytes < HugePage) return ::operator new(bytes);
  const std::size_t rounded = (bytes + HugePage - 1) / HugePage * HugePage;
  if (rounded < bytes) throw std::bad_alloc();
  void* p = std::aligned_alloc(HugePage, rounded);
  if (!p) throw std::bad_alloc();
#ifdef MADV_HUGEPAGE
  // Only advice: without huge pages the block works the same, page by page.
  ::madvise(p, rounded, MADV_HUGEPAGE);
#endif
  return p;
}

void releaseLarge(void* p, std::size_t bytes) noexcept {
  if (bytes < HugePage)
    ::operator delete(p);
  else
    std::free(p);
}

}  // namespace vode
