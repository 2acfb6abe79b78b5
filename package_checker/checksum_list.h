// The checksum list md5.txt: one "<32 hex digits><2 separator characters><path>" per line.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

struct ChecksumEntry {
    std::string expectedDigest;  // the line's first 32 characters, as written
    std::string path;            // from the 35th character on, line end removed
};

extern std::vector<ChecksumEntry> checksumList;

// Reads every line of the stream into checksumList, replacing what it held. Returns false
// when the list cannot vouch for the package: a line is rejected (too short, longer than
// 32 KiB, holding a NUL byte, or its path does not begin with "usb_" or could lead out of the
// package: a ".." segment, a colon), the stream fails before its end, or no line names a
// file. Lines that hold only a line end are skipped, and so is a UTF-8
// byte-order mark at the very start.
bool readChecksumList(FILE* stream);
