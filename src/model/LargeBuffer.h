// Storage for the tens of megabytes a file image or a set of spectra takes.
//
// Elements are default-initialised, so resizing to a size the caller is about
// to overwrite does not write every byte first; and a block of 2 MiB or more
// is aligned to 2 MiB and offered to the kernel for huge pages, so touching it
// the first time costs a few faults rather than one per 4 KiB page.
#pragma once

#include <cstddef>
#include <new>
#include <utility>
#include <vector>

namespace vode {

void* allocateLarge(std::size_t bytes);  // throws std::bad_alloc
void releaseLarge(void* p, std::size_t bytes) noexcept;

template <typename T>
struct LargeAllocator {
  using value_type = T;
  LargeAllocator() = default;
  template <typename U>
  LargeAllocator(const LargeAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(allocateLarge(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { releaseLarge(p, n * sizeof(T)); }

  // resize(n) leaves new elements default-initialised (unset, for numbers).
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }

  friend bool operator==(const LargeAllocator&, const LargeAllocator&) { return true; }
};

template <typename T>
using LargeVector = std::vector<T, LargeAllocator<T>>;

}  // namespace vode
