#include "main/uinput_io.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

int UinputOpen(const char* path, int flags) { return open(path, flags); }

int UinputIoctl(int fd, unsigned long request, int argument) {
    return ioctl(fd, request, argument);
}

ssize_t UinputWrite(int fd, const void* data, size_t size) { return write(fd, data, size); }
