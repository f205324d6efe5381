#include "store/LibraryMemory.h"

#include "config/BackgroundWork.h"

#include <QThreadPool>

#include <atomic>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace LibraryMemory {

void configureAllocator() {
#if defined(__GLIBC__)
    // glibc's own default, fixed: left alone it rises to the largest buffer ever freed (megabytes
    // after a load), and from then on such buffers sit in the heap between the library's texts.
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
#endif
}

void giveBackFreedMemory() {
#if defined(__GLIBC__)
    // Trimming walks every free block of every heap, milliseconds for a large library.
    static std::atomic_bool requested{false};
    if (requested.exchange(true)) {
        return;
    }
    BackgroundWork::pool()->start([] {
        requested = false;
        malloc_trim(0);
    });
#endif
}

} // namespace LibraryMemory
