#include "file_open.h"

#if defined(_WIN32)
#include <share.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

FILE* openDenyingWriters(const char* path) {
#if defined(_WIN32)
    // The sharing mode refuses the open while someone has the file open for writing, and
    // anyone else's open for writing while we read it.
    return _fsopen(path, "rb", _SH_DENYWR);
#else
    // Other systems have no sharing modes: the host build reads the file as it stands. Only a
    // regular file is a list; opened without blocking, a FIFO cannot hold the run up first.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    struct stat status;
    FILE* stream = nullptr;
    if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode) && fcntl(fd, F_SETFL, 0) == 0) {
        stream = fdopen(fd, "rb");
    }
    if (stream == nullptr) close(fd);
    return stream;
#endif
}
