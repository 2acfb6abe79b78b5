// MD5 digest of each listed file, read in fixed chunks with a one-line progress display.
#pragma once

#include <cstddef>
#include <cstdint>

#include "md5.h"

// Digest of the last file hashed successfully; zero until then.
extern uint8_t lastDigest[16];

// Allocates the read ring of a run, sector-aligned; allocateAlignedBuffer unless a test puts
// something else here. Whatever it returns is released with freeAlignedBuffer.
extern void* (*digestBufferAlloc)(size_t size);

// Paces the progress display, which reaches the console at most every 100 ms of this clock
// (milliseconds, wrapping); millisecondClock unless a test puts something else here.
extern uint32_t (*progressClock)();

// Takes each chunk into the digest; md5Update unless a test puts something else here.
extern void (*digestUpdate)(Md5Context* context, const void* data, size_t size);

// Whether the run has said that it reads some file through the system's cache. The notice comes
// once per run, on a line of its own before the first such file's line.
extern bool cachedReadingAnnounced;

// Starts reading the count files that pathAt names, in this order, ahead of their digests: one
// ring and one reader thread serve them all. The names must outlive the reading.
void startFileDigests(size_t count, const char* (*pathAt)(size_t index));
// Stops the reading wherever it is and releases the ring.
void stopFileDigests();

// Shows the console what was printed, unless it was shown less than 100 ms ago (progressClock).
void showConsolePaced();

// Hashes the next file of the reading started above, whose name is path, into lastDigest and
// prints its progress line; without a reading started, reads path alone. The line reaches the
// console as showConsolePaced lets it, and before the hash waits for the disk.
// Returns false, with lastDigest untouched and the line left unfinished, when the file cannot
// be opened (also while someone writes it, or through a link) or measured, is empty, ends before
// or goes on past its measured size, changes size while it is read, or no memory can be had.
bool computeFileDigest(const char* path);
