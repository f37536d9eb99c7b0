#pragma once
#include <cstddef>

namespace glimra {

// Backs the whole pages inside [data, data + bytes) with memory now, in one call,
// rather than one page fault at a time while they are first written: a gigabyte read
// into fresh memory takes a quarter of a million faults otherwise. Only a hint:
// where the system cannot, the pages come as they are written.
void Prefault(void* data, std::size_t bytes);

} // namespace glimra
