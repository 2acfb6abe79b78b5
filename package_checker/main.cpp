#include <cstdio>

#include "sumvault_run.h"

int main(int argc, char** argv) {
    // A console's standard output is unbuffered and the runtime's printf writes it byte by
    // byte: a console write per character. Fully buffered, the output leaves in whole lines,
    // each flushed where it ends, and the progress display every 100 ms at most.
    setvbuf(stdout, nullptr, _IOFBF, 64 * 1024);
    return runSumvault(argc > 0 ? argv[0] : nullptr);
}
