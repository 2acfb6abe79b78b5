// Reading a command's input: a file, a pipe, a FIFO or /dev/stdin alike, each read exactly once
// and whole, so nothing depends on seeking back.
#pragma once

#include <string>

// The whole of path in text: 0, or -1 after one line on standard error saying why.
int ReadInputFile(const char* path, std::string& text);
