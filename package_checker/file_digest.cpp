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
// three: the reader keeps two blocks ahead while the third is hashed, so a file takes about as
// long as the slower of the two, and the ring stays under 2 MiB whatever the file's size. A chunk
// is a multiple of every sector size, so each block starts and ends on a sector boundary.
static const size_t kBlockSize = 16 * kChunkSize;
static const int kBlocks = 3;
static const char kProgress[] = "\\|/-";
// Often enough for the spinner to turn, seldom enough that the console costs nothing.
static const uint32_t kProgressIntervalMs = 100;

static const char kCachedNotice[] =
    "This drive does not allow unbuffered reading: its files are read through the system's "
    "cache.\n";

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

// Hashes the first size bytes as they come from the read-ahead, one chunk at a time. False when
// the file ends early (it shrank since it was measured) or a read fails: a buffer only partly
// filled cannot be vouched for. Bytes beyond the measured size (a file still growing) are not
// hashed.
static bool hashChunks(ReadAhead* ahead, int64_t size, Md5Context* context) {
    Progress progress = {0, progressClock()};
    int64_t remaining = size;
    while (remaining > 0) {
        const uint8_t* block;
        const int64_t got = nextBlock(ahead, &block);
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
    return true;
}

bool computeFileDigest(const char* path) {
    ListedFile file;
    const ListedFileOpen opened = listedFileAccess.open(path, &file);
    if (opened == kOpenedCached && !cachedReadingAnnounced) {
        printf("%s", kCachedNotice);
        cachedReadingAnnounced = true;
    }
    printf("open %s ", path);
    if (opened == kOpenFailed) return false;

    const int64_t size = listedFileAccess.measure(&file);
    if (size < 0) {
        listedFileAccess.close(&file);
        return false;
    }
    printf("count: %" PRId64 "  ", size);
    if (size == 0) {
        listedFileAccess.close(&file);
        return false;
    }

    uint8_t* buffer = static_cast<uint8_t*>(digestBufferAlloc(kBlocks * kBlockSize));
    ReadAhead* ahead =
        buffer != nullptr ? startReadAhead(&file, size, buffer, kBlockSize, kBlocks) : nullptr;
    if (ahead == nullptr) {
        freeAlignedBuffer(buffer);
        printf("Out of memory\n");
        fflush(stdout);
        showMessageBox(u"Out of memory!\n", kNoticeCaption);
        listedFileAccess.close(&file);
        return false;
    }

    Md5Context context;
    md5Init(&context);
    const bool complete = hashChunks(ahead, size, &context);
    stopReadAhead(ahead);
    if (complete) {
        uint8_t digest[16];
        md5Final(&context, digest);
        memcpy(lastDigest, digest, sizeof lastDigest);
        printf("\bsuccess\n");
        fflush(stdout);
    }
    freeAlignedBuffer(buffer);
    listedFileAccess.close(&file);
    return complete;
}
