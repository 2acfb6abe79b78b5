#include "checksum_list.h"

#include <cstring>

std::vector<ChecksumEntry> checksumList;

static const size_t kDigestLength = 32;
static const size_t kPathStart = kDigestLength + 2;

static bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

// One whole line, line feed included, however long. False at the end of the stream.
static bool readLine(FILE* stream, std::string* line) {
    line->clear();
    int c;
    while ((c = getc(stream)) != EOF) {
        line->push_back(static_cast<char>(c));
        if (c == '\n') break;
    }
    return !line->empty();
}

bool readChecksumList(FILE* stream) {
    checksumList.clear();
    std::string line;
    while (readLine(stream, &line)) {
        bool lineEndOnly = true;
        for (char c : line) lineEndOnly = lineEndOnly && isLineEnd(c);
        if (lineEndOnly) continue;

        // The text of a line ends at a NUL byte, should one be there.
        size_t length = strlen(line.c_str());
        while (length > 0 && isLineEnd(line[length - 1])) --length;
        if (length <= kPathStart) return false;
        const char* path = line.c_str() + kPathStart;
        if (strncmp(path, "usb_", 4) != 0) return false;

        checksumList.push_back(
            ChecksumEntry{line.substr(0, kDigestLength), std::string(path, length - kPathStart)});
    }
    // A read error (a bad sector on the stick) ends the stream early, and an interrupted
    // unpack leaves an empty list: either way some files were never vouched for.
    return !ferror(stream) && !checksumList.empty();
}
