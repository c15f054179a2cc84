#include "setup/memory_tuning.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace zep4 {

void KeepLargeBuffersForReuse() {
#if defined(__GLIBC__)
    // Blocks up to 32 MiB come from the heap rather than from a mapping of their own, and
    // up to 256 MiB of free heap is kept before any is returned.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 256 * 1024 * 1024);
#endif
}

}  // namespace zep4
