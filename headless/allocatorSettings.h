// How morvane has the C library keep memory between the runs of a batch.
#pragma once

#include <cstdlib>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace morvane {

// Every run of a batch allocates and frees the same texts of a megabyte or more (design
// matrices written and read back). Kept on the heap once freed, they are used again instead
// of being returned to the system and handed out as fresh pages, each of which the system
// would have to clear on first touch. For a program's start.
inline void keepFreedMemoryForReuse() {
#if defined(__GLIBC__)
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}

}  // namespace morvane
