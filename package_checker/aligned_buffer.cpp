#include "aligned_buffer.h"

#include <cstdlib>

#if defined(_WIN32)
#include <malloc.h>

void* allocateAlignedBuffer(size_t size) { return _aligned_malloc(size, kSectorAlignment); }
void freeAlignedBuffer(void* buffer) { _aligned_free(buffer); }
#else
void* allocateAlignedBuffer(size_t size) {
    void* buffer = nullptr;
    return posix_memalign(&buffer, kSectorAlignment, size) == 0 ? buffer : nullptr;
}
void freeAlignedBuffer(void* buffer) { free(buffer); }
#endif
