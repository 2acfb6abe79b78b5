#include "input_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

static int Fail(const char* path, const char* why, int fd) {
    fprintf(stderr, "keypad-tool: cannot read %s: %s\n", path, why);
    if (fd >= 0) close(fd);
    return -1;
}

int ReadInputFile(const char* path, std::string& text) {
    text.clear();
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) return Fail(path, strerror(errno), -1);
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) return Fail(path, "it is a folder", fd);
    // Read straight into the text: a file's size is known, so it takes one allocation; a pipe's
    // room doubles as it fills.
    const bool sized = S_ISREG(info.st_mode) && info.st_size > 0 &&
                       static_cast<uint64_t>(info.st_size) <= kMaxInputBytes;
    text.resize(sized ? static_cast<size_t>(info.st_size) + 1 : 65536);
    size_t used = 0;
    for (;;) {
        if (used == text.size()) {
            if (used > kMaxInputBytes) return Fail(path, "it holds more than 1 GiB", fd);
            text.resize(2 * used);
        }
        const ssize_t got = read(fd, &text[used], text.size() - used);
        if (got > 0) {
            used += static_cast<size_t>(got);
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            const int error = errno;
            text.clear();
            return Fail(path, strerror(error), fd);
        }
    }
    close(fd);
    if (used > kMaxInputBytes) {
        text.clear();
        return Fail(path, "it holds more than 1 GiB", -1);
    }
    text.resize(used);
    return 0;
}
