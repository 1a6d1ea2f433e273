#include "platform/Memory.h"

#include <cstdint>
#include <cstdlib>

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace osmemory {

void prepareHeap(std::size_t bytes)
{
#if defined(__linux__) && defined(__GLIBC__) && defined(MADV_POPULATE_WRITE)
    constexpr std::size_t largest = std::size_t{64} << 20;
    if (bytes == 0 || bytes > largest)
        return;
    // Blocks up to that size come from the heap, and freed ones stay in it, so that the
    // pages mapped here serve the allocations that follow.
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(largest));
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(4 * largest));
    void* block = std::malloc(bytes);
    if (block == nullptr)
        return;
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto address = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (address + page - 1) & ~(page - 1);
    const std::uintptr_t end = (address + bytes) & ~(page - 1);
    if (end > first)
        ::madvise(reinterpret_cast<void*>(first), end - first, MADV_POPULATE_WRITE);
    std::free(block);
#else
    (void)bytes;
#endif
}

} // namespace osmemory
