// Reads the listed files one after another, ahead of their hash, through one ring and one reader
// thread for the whole run. Unbuffered reading gets no read-ahead from the system: without one of
// its own a file would take its read time plus its hash time, and each small file its open and a
// request's round trip besides. The reader opens and reads the next files while the current one is
// hashed, with several reads in flight where the system allows it, and a run costs no more per
// file than the disk does. Memory is the ring and a fixed table, whatever the files.
#pragma once

#include <cstddef>
#include <cstdint>

#include "listed_file.h"

struct ReadAhead;

// Starts reading the count files that pathAt names, in this order, as listedFileAccess reaches
// them, into the ring of ringSize bytes at ring, in reads of blockSize bytes (the last of a file
// one sector longer than its rest, to see whether the file goes on). ring, ringSize and
// blockSize are sector-aligned, ringSize at least one block and a sector. The names must outlive
// the reading. beforeWaiting, if not null, is called whenever the calls below are about to wait
// for the reader. nullptr when no thread can be had.
ReadAhead* startReadAhead(size_t count, const char* (*pathAt)(size_t index), uint8_t* ring,
                          size_t ringSize, size_t blockSize, void (*beforeWaiting)());
// The next file, in list order, with its measured size in *size (-1: it could not be measured).
// What is left of the file before is skipped. kOpenFailed also when no file is left.
ListedFileOpen nextFile(ReadAhead* ahead, int64_t* size);
// The current file's next block, at *block until the next call: its length, which is blockSize
// except for the block that ends the file, or shorter when the file ended early. Once the
// measured size has been handed out: 0 when the file ended there and kept that size to the end
// of its reading, -1 when it went on or changed size. -1 also when a read failed.
long nextBlock(ReadAhead* ahead, const uint8_t** block);
// Stops the reader wherever it is, waits for it and for its reads, and releases everything but
// the ring.
void stopReadAhead(ReadAhead* ahead);
