#include "platform/Memory.h"

namespace osmemory {

// Windows maps fresh pages as they are touched; nothing to ready.
void prepareHeap(std::size_t) {}

} // namespace osmemory
