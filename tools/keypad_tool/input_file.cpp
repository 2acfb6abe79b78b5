#include "input_file.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

int ReadInputFile(const char* path, std::string& text) {
    text.clear();
    const int fd = open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        fprintf(stderr, "keypad-tool: cannot read %s: %s\n", path, strerror(errno));
        return -1;
    }
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) {
        fprintf(stderr, "keypad-tool: cannot read %s: it is a folder\n", path);
        close(fd);
        return -1;
    }
    char chunk[65536];
    for (;;) {
        const ssize_t got = read(fd, chunk, sizeof chunk);
        if (got > 0) {
            if (text.size() + static_cast<size_t>(got) > kMaxInputBytes) {
                fprintf(stderr, "keypad-tool: cannot read %s: it holds more than 1 GiB\n", path);
                close(fd);
                return -1;
            }
            text.append(chunk, static_cast<size_t>(got));
        } else if (got == 0) {
            break;
        } else if (errno != EINTR) {
            fprintf(stderr, "keypad-tool: cannot read %s: %s\n", path, strerror(errno));
            close(fd);
            return -1;
        }
    }
    close(fd);
    return 0;
}
