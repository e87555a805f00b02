#include "huge_pages.h"

#if defined(__linux__)
#include <sys/mman.h>  // madvise: the one call outside the standard library
#endif

void advise_huge_pages(void* buffer, std::size_t size) {
#if defined(__linux__) && defined(MADV_HUGEPAGE)
  madvise(buffer, size, MADV_HUGEPAGE);
#else
  (void)buffer;
  (void)size;
#endif
}
