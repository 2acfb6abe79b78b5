// The host build reads with O_DIRECT. There are no sharing modes here: the file is read as it
// stands.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "listed_file.h"

ListedFileAccess listedFileAccess = {openListedFile, measureListedFile, readListedFile,
                                     closeListedFile};

static int descriptorOf(const ListedFile* file) { return static_cast<int>(file->handle); }

ListedFileOpen openListedFile(const char* path, ListedFile* file) {
    // Not blocking: a FIFO named in the list must not hold the check up until someone writes it.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return kOpenFailed;
    struct stat status;
    const int flags = fcntl(fd, F_GETFL);
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || flags < 0) {
        close(fd);
        return kOpenFailed;
    }
    file->handle = fd;
    // Set after the open, not in it, so that only a file system without unbuffered reading
    // refuses it (EINVAL), never a path that is wrong for another reason.
    if (fcntl(fd, F_SETFL, (flags & ~O_NONBLOCK) | O_DIRECT) == 0) return kOpenedUnbuffered;
    fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    return kOpenedCached;
}

int64_t measureListedFile(ListedFile* file) {
    static_assert(sizeof(off_t) == 8, "build with _FILE_OFFSET_BITS=64");
    struct stat status;
    return fstat(descriptorOf(file), &status) == 0 ? static_cast<int64_t>(status.st_size) : -1;
}

long readListedFile(ListedFile* file, int64_t offset, void* buffer, size_t size) {
    ssize_t got;
    while ((got = pread(descriptorOf(file), buffer, size, offset)) < 0 && errno == EINTR) {
    }
    return static_cast<long>(got);
}

void closeListedFile(ListedFile* file) { close(descriptorOf(file)); }
