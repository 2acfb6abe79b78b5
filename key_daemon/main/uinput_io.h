// The kernel calls behind the virtual keyboard. Unit tests link their own version of these
// functions to stand in for the uinput driver, which this machine may not have.
#pragma once

#include <stddef.h>
#include <sys/types.h>

int UinputOpen(const char* path, int flags);
int UinputIoctl(int fd, unsigned long request, int argument);
ssize_t UinputWrite(int fd, const void* data, size_t size);
