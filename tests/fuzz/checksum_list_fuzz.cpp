// Any bytes as md5.txt through the list reader. An accepted list names at least one file, and
// only entries that the checker can act on safely: a 32-character digest and a path under "usb_"
// that ends where the line's text ends (no line end kept, no NUL that would make it name
// another file).
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "checksum_list.h"

static void Require(bool condition) {
    if (!condition) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FILE* stream =
        size > 0 ? fmemopen(const_cast<uint8_t*>(data), size, "rb") : fopen("/dev/null", "rb");
    if (!stream) return 0;
    const bool accepted = readChecksumList(stream);
    fclose(stream);
    if (!accepted) return 0;
    // An empty list vouches for nothing.
    Require(!checksumList.empty());
    for (const ChecksumEntry& entry : checksumList) {
        Require(entry.expectedDigest.size() == 32);
        Require(entry.expectedDigest.find('\0') == std::string::npos);
        Require(entry.path.compare(0, 4, "usb_") == 0);
        Require(entry.path.find('\0') == std::string::npos);
        const char last = entry.path.back();
        Require(last != '\r' && last != '\n');
        Require(entry.path.find(':') == std::string::npos);
        const std::string segments = "/" + entry.path + "/";
        for (const char* step : {"/../", "\\..\\", "/..\\", "\\../"}) {
            Require(segments.find(step) == std::string::npos);
        }
    }
    return 0;
}
