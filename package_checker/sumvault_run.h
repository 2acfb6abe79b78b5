// The whole run of the package checker.
#pragma once

// The outcome of a run, printed, shown and returned as the exit code.
enum SumvaultCode : int {
    kPackageIntact = 0,
    kListRejectedOrDigestDiffers = 1,
    kFileNotHashed = 2,
    kNoList = 3,
    kWrongProgramName = 255,
};

// Verifies the package in the current directory against md5.txt, reports the outcome on
// standard output and in a message box, and returns its code. invocationName is argv[0].
int runSumvault(const char* invocationName);
