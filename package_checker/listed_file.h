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

// The folder of the last file opened, kept so that the next file in the same folder is reached by
// its name alone. The folder is the first length characters of path; path nullptr: none yet.
struct ListedFolder {
    const char* path;
    size_t length;
    intptr_t handle;
};
inline constexpr ListedFolder kNoListedFolder = {nullptr, 0, -1};

// Opens path, as the list names it, only if it is a regular file reached without passing through
// a symbolic link, junction or other reparse point: a link could lead out of the package, to a
// file the list never vouched for. Where the system has sharing modes, no one may write the file
// while it is open. folder is the one of the file opened before (path must outlive it) and
// becomes this file's.
ListedFileOpen openListedFile(const char* path, ListedFolder* folder, ListedFile* file);
void closeListedFolder(ListedFolder* folder);
// The length of the whole file, or -1. Update images pass 4 GiB, so it is 64 bits on every build.
int64_t measureListedFile(ListedFile* file);
// Reads up to size bytes at offset into buffer; offset, size and buffer are sector-aligned.
// Returns the count read (fewer only at the end of the file), 0 past the end, -1 on failure.
long readListedFile(ListedFile* file, int64_t offset, void* buffer, size_t size);
void closeListedFile(ListedFile* file);

// Reads that go on while the reader opens the next files: with several in flight, a package of
// small files is read at the disk's pace instead of a request's round trip per file.
struct AsyncReads;
struct AsyncRead {
    uintptr_t tag;  // as given when the read was submitted
    long result;    // as readListedFile returns it
};
// Room for depth reads in flight; nullptr where the system has no such reads or refuses them.
AsyncReads* startAsyncReads(int depth);
// Starts a read as readListedFile would do it. False when the system refuses it now.
bool submitAsyncRead(AsyncReads* reads, ListedFile* file, int64_t offset, void* buffer, size_t size,
                     uintptr_t tag);
// Waits until at least one read has ended and stores up to max of those that have; -1 when
// waiting fails (the reads may then still be in flight).
int reapAsyncReads(AsyncReads* reads, AsyncRead* ended, int max);
// Waits for every read still in flight, then releases the room.
void stopAsyncReads(AsyncReads* reads);

// How the listed files are reached: the functions above unless a test puts others here.
struct ListedFileAccess {
    ListedFileOpen (*open)(const char* path, ListedFolder* folder, ListedFile* file);
    int64_t (*measure)(ListedFile* file);
    long (*read)(ListedFile* file, int64_t offset, void* buffer, size_t size);
    void (*close)(ListedFile* file);
    // nullptr: one read at a time, through read.
    AsyncReads* (*startAsync)(int depth);
};
extern ListedFileAccess listedFileAccess;
