// Memory for unbuffered reads, which land directly in the caller's buffer and so must start on a
// sector boundary.
#pragma once

#include <cstddef>

// Every drive's sector size divides it, and so must every read's offset and length.
inline constexpr size_t kSectorAlignment = 4096;

// size bytes starting on a kSectorAlignment boundary, or nullptr; released with freeAlignedBuffer.
void* allocateAlignedBuffer(size_t size);
void freeAlignedBuffer(void* buffer);
