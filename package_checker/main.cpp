#include "sumvault_run.h"

int main(int argc, char** argv) { return runSumvault(argc > 0 ? argv[0] : nullptr); }
