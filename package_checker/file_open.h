// Opening the checksum list for reading.
#pragma once

#include <cstdio>

// Opens path for binary reading, so that no one may write the file while it is open: a file
// still being extracted then cannot be opened at all, rather than read half-written.
// nullptr on failure, and where the name is not a regular file (a folder, a FIFO).
FILE* openDenyingWriters(const char* path);
