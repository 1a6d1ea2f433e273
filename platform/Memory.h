#pragma once

#include <cstddef>

namespace osmemory {

// Readies the heap for about `bytes` of allocations that follow (a bank being loaded):
// where the system would otherwise map each fresh page on its first touch, one fault at
// a time, the pages are mapped in one call. Nothing where the system offers no such call
// (Windows, a kernel older than Linux 5.14), or beyond 64 MB. Allocations behave the same
// either way.
void prepareHeap(std::size_t bytes);

} // namespace osmemory
