#include "file_digest.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "file_open.h"
#include "md5.h"
#include "message_box.h"
#include "millisecond_clock.h"

uint8_t lastDigest[16];
void* (*digestBufferAlloc)(size_t size) = malloc;
uint32_t (*progressClock)() = millisecondClock;

static const size_t kChunkSize = 40960;
static const char kProgress[] = "\\|/-";
// Often enough for the spinner to turn, seldom enough that the console costs nothing.
static const uint32_t kProgressIntervalMs = 100;

// The length of the whole file, or -1. Update images pass 2 GiB, so the size is 64 bits on
// every build.
static int64_t measureFile(FILE* file) {
#if defined(_WIN32)
    if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
    const int64_t size = _ftelli64(file);
    if (_fseeki64(file, 0, SEEK_SET) != 0) return -1;
#else
    static_assert(sizeof(off_t) == 8, "build with _FILE_OFFSET_BITS=64");
    if (fseeko(file, 0, SEEK_END) != 0) return -1;
    const int64_t size = ftello(file);
    if (fseeko(file, 0, SEEK_SET) != 0) return -1;
#endif
    return size;
}

bool computeFileDigest(const char* path) {
    printf("open %s ", path);
    FILE* file = openDenyingWriters(path, true);
    if (file == nullptr) return false;

    const int64_t size = measureFile(file);
    if (size < 0) {
        fclose(file);
        return false;
    }
    printf("count: %" PRId64 "  ", size);
    if (size == 0) {
        fclose(file);
        return false;
    }

    uint8_t* buffer = static_cast<uint8_t*>(digestBufferAlloc(kChunkSize));
    if (buffer == nullptr) {
        printf("Out of memory\n");
        fflush(stdout);
        showMessageBox(u"Out of memory!\n", kNoticeCaption);
        fclose(file);
        return false;
    }

    Md5Context context;
    md5Init(&context);
    int64_t remaining = size;
    size_t cycle = 0;
    bool complete = true;
    uint32_t shownAt = progressClock();
    while (remaining > 0) {
        const size_t wanted = remaining < static_cast<int64_t>(kChunkSize)
                                  ? static_cast<size_t>(remaining)
                                  : kChunkSize;
        // A file that shrank since it was measured, or a failing read, leaves the buffer
        // partly stale: such a file cannot be vouched for. Bytes beyond the measured size
        // (a file still growing) are never asked for.
        if (fread(buffer, 1, wanted, file) != wanted) {
            complete = false;
            break;
        }
        md5Update(&context, buffer, wanted);
        printf("\b%c", kProgress[cycle]);
        cycle = (cycle + 1) % (sizeof kProgress - 1);
        remaining -= static_cast<int64_t>(wanted);
        const uint32_t now = progressClock();
        if (now - shownAt >= kProgressIntervalMs) {
            fflush(stdout);
            shownAt = now;
        }
    }

    if (complete) {
        uint8_t digest[16];
        md5Final(&context, digest);
        memcpy(lastDigest, digest, sizeof lastDigest);
        printf("\bsuccess\n");
        fflush(stdout);
    }
    free(buffer);
    fclose(file);
    return complete;
}
