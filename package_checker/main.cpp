#include <cstdio>

#include "sumvault_run.h"

int main(int argc, char** argv) {
    // A console's standard output is unbuffered and the runtime's printf writes it byte by
    // byte: a console write per character. Fully buffered, the output leaves every 100 ms at
    // most, and whenever the check waits for the disk.
    setvbuf(stdout, nullptr, _IOFBF, 64 * 1024);
    return runSumvault(argc > 0 ? argv[0] : nullptr);
}
