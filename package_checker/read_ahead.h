// Reads one file from start to end a few blocks ahead of its consumer, on a thread of its own.
// Unbuffered reading gets no read-ahead from the system, and without one of its own a file would
// take its read time plus its hash time instead of the longer of the two.
#pragma once

#include <cstddef>
#include <cstdint>

#include "listed_file.h"

struct ReadAhead;

inline constexpr int kMaxReadAheadBlocks = 8;

// Starts reading the first size bytes of file (as listedFileAccess reads them) into a ring of
// blockCount blocks of blockSize bytes at buffer, all sector-aligned. nullptr when no thread can
// be had.
ReadAhead* startReadAhead(ListedFile* file, int64_t size, uint8_t* buffer, size_t blockSize,
                          int blockCount);
// The next block in file order, at *block until the next call: its length, which is blockSize
// except for the block that ends the file; 0 once the file has ended or its first size bytes
// have been handed out; -1 when the read failed.
long nextBlock(ReadAhead* ahead, const uint8_t** block);
// Stops the reader wherever it is, waits for it and releases everything but the buffer.
void stopReadAhead(ReadAhead* ahead);
