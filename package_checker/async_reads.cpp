// Several reads of listed files in flight at once. Linux has the kernel's own asynchronous I/O,
// which really runs in the background for files opened with O_DIRECT (and completes at once for
// the others). Elsewhere the reader reads one request at a time.
#include "listed_file.h"

#if defined(__linux__)
#include <linux/aio_abi.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <new>

struct AsyncReads {
    aio_context_t context;
};

AsyncReads* startAsyncReads(int depth) {
    aio_context_t context = 0;
    if (syscall(SYS_io_setup, depth, &context) != 0) return nullptr;
    AsyncReads* reads = new (std::nothrow) AsyncReads{context};
    if (reads == nullptr) syscall(SYS_io_destroy, context);
    return reads;
}

bool submitAsyncRead(AsyncReads* reads, ListedFile* file, int64_t offset, void* buffer, size_t size,
                     uintptr_t tag) {
    // The kernel copies the request as it is submitted.
    iocb request = {};
    request.aio_data = tag;
    request.aio_lio_opcode = IOCB_CMD_PREAD;
    request.aio_fildes = static_cast<uint32_t>(file->handle);
    request.aio_buf = reinterpret_cast<uintptr_t>(buffer);
    request.aio_nbytes = size;
    request.aio_offset = offset;
    iocb* requests[] = {&request};
    long submitted;
    while ((submitted = syscall(SYS_io_submit, reads->context, 1, requests)) < 0 &&
           errno == EINTR) {
    }
    return submitted == 1;
}

int reapAsyncReads(AsyncReads* reads, AsyncRead* ended, int max) {
    io_event events[64];
    if (max > 64) max = 64;
    long got;
    while ((got = syscall(SYS_io_getevents, reads->context, 1, max, events, nullptr)) < 0 &&
           errno == EINTR) {
    }
    for (long i = 0; i < got; ++i) {
        ended[i].tag = static_cast<uintptr_t>(events[i].data);
        ended[i].result = events[i].res < 0 ? -1 : static_cast<long>(events[i].res);
    }
    return static_cast<int>(got);
}

void stopAsyncReads(AsyncReads* reads) {
    // Waits for whatever is still in flight: the buffers must not be released under a read.
    syscall(SYS_io_destroy, reads->context);
    delete reads;
}
#else
AsyncReads* startAsyncReads(int) { return nullptr; }
bool submitAsyncRead(AsyncReads*, ListedFile*, int64_t, void*, size_t, uintptr_t) { return false; }
int reapAsyncReads(AsyncReads*, AsyncRead*, int) { return -1; }
void stopAsyncReads(AsyncReads*) {}
#endif
