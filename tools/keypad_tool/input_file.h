// Reading a command's input: a file, a pipe, a FIFO or /dev/stdin alike, each read exactly once
// and whole, so nothing depends on seeking back.
#pragma once

#include <string>

// Layouts and traces are far smaller than this (a day of samples at 10 ms with a line for every
// one is about 150 MB); anything larger is refused rather than held in memory.
constexpr size_t kMaxInputBytes = size_t{1} << 30;

// The whole of path in text: 0, or -1 after one line on standard error saying why.
int ReadInputFile(const char* path, std::string& text);
