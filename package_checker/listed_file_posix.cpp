// The host build reads with O_DIRECT. There are no sharing modes here: the file is read as it
// stands, and the reader checks afterwards that it kept its size.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>

#include "listed_file.h"

ListedFileAccess listedFileAccess = {openListedFile, measureListedFile, readListedFile,
                                     closeListedFile, startAsyncReads};

static int descriptorOf(const ListedFile* file) { return static_cast<int>(file->handle); }

// Opens the folder that the first length characters of path name, one name at a time from the
// current folder, each relative to the one before and none through a symbolic link: a link
// anywhere in the path could lead out of the package. AT_FDCWD for no folder at all, -1 on
// failure.
static int openFolder(const char* path, size_t length) {
    int folder = AT_FDCWD;
    for (size_t start = 0, end; start < length; start = end + 1) {
        const char* slash = static_cast<const char*>(memchr(path + start, '/', length - start));
        end = slash != nullptr ? static_cast<size_t>(slash - path) : length;
        if (end == start) continue;
        char name[NAME_MAX + 1] = "";
        if (end - start <= NAME_MAX) memcpy(name, path + start, end - start);
        const int next = name[0] != '\0'
                             ? openat(folder, name, O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC)
                             : -1;
        if (folder != AT_FDCWD) close(folder);
        folder = next;
        if (folder < 0) return -1;
    }
    return folder;
}

void closeListedFolder(ListedFolder* folder) {
    if (folder->path != nullptr && folder->handle != AT_FDCWD)
        close(static_cast<int>(folder->handle));
    *folder = kNoListedFolder;
}

ListedFileOpen openListedFile(const char* path, ListedFolder* folder, ListedFile* file) {
    const char* slash = strrchr(path, '/');
    const size_t length = slash != nullptr ? static_cast<size_t>(slash - path) : 0;
    if (folder->path == nullptr || folder->length != length ||
        memcmp(folder->path, path, length) != 0) {
        closeListedFolder(folder);
        const int opened = openFolder(path, length);
        if (opened == -1) return kOpenFailed;
        *folder = ListedFolder{path, length, opened};
    }
    // The file itself must not be a link either, and is opened without blocking, so that a FIFO
    // named in the list cannot hold the check up until someone writes it.
    const char* name = slash != nullptr ? slash + 1 : path;
    const int fd = openat(static_cast<int>(folder->handle), name,
                          O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return kOpenFailed;
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return kOpenFailed;
    }
    file->handle = fd;
    // Set after the open, not in it, so that only a file system without unbuffered reading
    // refuses it (EINVAL), never a path that is wrong for another reason. Either way the file
    // blocks again from here on, as files do.
    if (fcntl(fd, F_SETFL, O_DIRECT) == 0) return kOpenedUnbuffered;
    fcntl(fd, F_SETFL, 0);
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
