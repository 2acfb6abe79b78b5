// Reading a file named in the checksum list from the drive itself. A stick that lost or never
// stored some of what was written to it still reads back correctly from the system's cache
// until it is ejected, so the cache is bypassed wherever the file system allows it.
#pragma once

#include <cstddef>
#include <cstdint>

struct ListedFile {
    intptr_t handle;
};

// kOpenedCached: the file system refused unbuffered reading, so the file is read through the
// system's cache.
enum ListedFileOpen { kOpenedUnbuffered, kOpenedCached, kOpenFailed };

// Opens path, as the list names it, so that no one may write the file while it is open, and only
// if it is a regular file.
ListedFileOpen openListedFile(const char* path, ListedFile* file);
// The length of the whole file, or -1. Update images pass 4 GiB, so it is 64 bits on every build.
int64_t measureListedFile(ListedFile* file);
// Reads up to size bytes at offset into buffer; offset, size and buffer are sector-aligned.
// Returns the count read (fewer only at the end of the file), 0 past the end, -1 on failure.
long readListedFile(ListedFile* file, int64_t offset, void* buffer, size_t size);
void closeListedFile(ListedFile* file);

// How the listed files are reached: the functions above unless a test puts others here.
struct ListedFileAccess {
    ListedFileOpen (*open)(const char* path, ListedFile* file);
    int64_t (*measure)(ListedFile* file);
    long (*read)(ListedFile* file, int64_t offset, void* buffer, size_t size);
    void (*close)(ListedFile* file);
};
extern ListedFileAccess listedFileAccess;
