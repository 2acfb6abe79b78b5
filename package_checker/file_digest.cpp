#include "file_digest.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "aligned_buffer.h"
#include "listed_file.h"
#include "message_box.h"
#include "millisecond_clock.h"
#include "read_ahead.h"

uint8_t lastDigest[16];
void* (*digestBufferAlloc)(size_t size) = allocateAlignedBuffer;
uint32_t (*progressClock)() = millisecondClock;
void (*digestUpdate)(Md5Context* context, const void* data, size_t size) = md5Update;
bool cachedReadingAnnounced = false;

static const size_t kChunkSize = 40960;
// Reads of 640 KiB, large enough that a request costs little beside its data, and a ring of
// three and a sector (a file's last read asks for one sector more): the reader keeps two blocks
// ahead while the third is hashed, so a large file takes about as long as the slower of the two,
// and many small files share the ring. A chunk is a multiple of every sector size, so each block
// starts and ends on a sector boundary.
static const size_t kBlockSize = 16 * kChunkSize;
static const size_t kRingSize = 3 * kBlockSize + kSectorAlignment;
static const char kProgress[] = "\\|/-";
// Often enough for the spinner to turn, seldom enough that the console costs nothing.
static const uint32_t kProgressIntervalMs = 100;

static const char kCachedNotice[] =
    "This drive does not allow unbuffered reading: its files are read through the system's "
    "cache.\n";

// When the console was last shown what was printed. A console write per line would cost more
// than hashing a small file (a millisecond under Wine), so whole lines reach it at most every
// 100 ms, and whenever the hash waits for the disk.
static uint32_t consoleShownAt;

void showConsolePaced() {
    const uint32_t now = progressClock();
    if (now - consoleShownAt < kProgressIntervalMs) return;
    fflush(stdout);
    consoleShownAt = now;
}

static void showConsole() { fflush(stdout); }

// The reading of a run: both null when the ring or the reader could not be had.
static bool readingStarted = false;
static uint8_t* ring = nullptr;
static ReadAhead* reading = nullptr;

void startFileDigests(size_t count, const char* (*pathAt)(size_t index)) {
    readingStarted = true;
    ring = static_cast<uint8_t*>(digestBufferAlloc(kRingSize));
    reading = ring != nullptr
                  ? startReadAhead(count, pathAt, ring, kRingSize, kBlockSize, showConsole)
                  : nullptr;
    if (reading == nullptr) {
        freeAlignedBuffer(ring);
        ring = nullptr;
    }
}

void stopFileDigests() {
    if (reading != nullptr) stopReadAhead(reading);
    freeAlignedBuffer(ring);
    reading = nullptr;
    ring = nullptr;
    readingStarted = false;
}

struct Progress {
    size_t cycle;
    uint32_t shownAt;
};

static void showChunk(Progress* progress) {
    printf("\b%c", kProgress[progress->cycle]);
    progress->cycle = (progress->cycle + 1) % (sizeof kProgress - 1);
    const uint32_t now = progressClock();
    if (now - progress->shownAt >= kProgressIntervalMs) {
        fflush(stdout);
        progress->shownAt = now;
    }
}

// Hashes the measured size as it comes from the reader, one chunk at a time. False when the file
// ends early (it shrank since it was measured) or a read fails: a buffer only partly filled
// cannot be vouched for; and when the file went on past its measured size or changed size while
// it was read: it was still being written, and what was hashed may not be what it holds.
static bool hashChunks(int64_t size, Md5Context* context) {
    Progress progress = {0, progressClock()};
    int64_t remaining = size;
    while (remaining > 0) {
        const uint8_t* block;
        const int64_t got = nextBlock(reading, &block);
        int64_t at = 0;
        do {
            const int64_t wanted = remaining < static_cast<int64_t>(kChunkSize)
                                       ? remaining
                                       : static_cast<int64_t>(kChunkSize);
            if (got - at < wanted) return false;
            digestUpdate(context, block + at, static_cast<size_t>(wanted));
            showChunk(&progress);
            remaining -= wanted;
            at += wanted;
        } while (remaining > 0 && at < got);
    }
    const uint8_t* none;
    return nextBlock(reading, &none) == 0;
}

// The start of a file's line. False when the line ends there: the file cannot be hashed.
static bool showFile(const char* path, ListedFileOpen opened, int64_t size) {
    if (opened == kOpenedCached && !cachedReadingAnnounced) {
        printf("%s", kCachedNotice);
        cachedReadingAnnounced = true;
    }
    printf("open %s ", path);
    if (opened == kOpenFailed || size < 0) return false;
    printf("count: %" PRId64 "  ", size);
    return size > 0;
}

// Without a ring or a reader the file is still opened and measured, so that its line says which
// file it is and how large, as for any other.
static bool reportNoMemory(const char* path) {
    ListedFolder folder = kNoListedFolder;
    ListedFile file;
    const ListedFileOpen opened = listedFileAccess.open(path, &folder, &file);
    const int64_t size = opened == kOpenFailed ? -1 : listedFileAccess.measure(&file);
    if (showFile(path, opened, size)) {
        printf("Out of memory\n");
        fflush(stdout);
        showMessageBox(u"Out of memory!\n", kNoticeCaption);
    }
    if (opened != kOpenFailed) listedFileAccess.close(&file);
    closeListedFolder(&folder);
    return false;
}

static bool digestNextFile(const char* path) {
    if (reading == nullptr) return reportNoMemory(path);
    int64_t size;
    const ListedFileOpen opened = nextFile(reading, &size);
    if (!showFile(path, opened, size)) return false;

    Md5Context context;
    md5Init(&context);
    if (!hashChunks(size, &context)) return false;
    uint8_t digest[16];
    md5Final(&context, digest);
    memcpy(lastDigest, digest, sizeof lastDigest);
    printf("\bsuccess\n");
    showConsolePaced();
    return true;
}

static const char* alonePath;

bool computeFileDigest(const char* path) {
    if (readingStarted) return digestNextFile(path);
    alonePath = path;
    startFileDigests(1, [](size_t) { return alonePath; });
    const bool hashed = digestNextFile(path);
    stopFileDigests();
    return hashed;
}
