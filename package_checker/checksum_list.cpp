#include "checksum_list.h"

#include <cstring>

std::vector<ChecksumEntry> checksumList;

static const size_t kDigestLength = 32;
static const size_t kPathStart = kDigestLength + 2;
// Far beyond any path Windows can open, yet a wrong file (a large binary without line feeds)
// is turned down before it fills the memory of a 32-bit process.
static const size_t kMaxLineLength = 32 * 1024;
// Notepad and other Windows editors start a UTF-8 file with one.
static const char kByteOrderMark[] = "\xEF\xBB\xBF";

static bool isLineEnd(char c) { return c == '\r' || c == '\n'; }

enum LineRead { kGotLine, kNoMoreLines, kLineTooLong };

// One whole line, line feed included, of at most kMaxLineLength characters before its line feed.
static LineRead readLine(FILE* stream, std::string* line) {
    line->clear();
    int c;
    while ((c = getc(stream)) != EOF) {
        if (c != '\n' && line->size() == kMaxLineLength) return kLineTooLong;
        line->push_back(static_cast<char>(c));
        if (c == '\n') return kGotLine;
    }
    return line->empty() ? kNoMoreLines : kGotLine;
}

bool readChecksumList(FILE* stream) {
    checksumList.clear();
    std::string line;
    bool firstLine = true;
    LineRead read;
    while ((read = readLine(stream, &line)) == kGotLine) {
        if (firstLine && line.compare(0, 3, kByteOrderMark) == 0) line.erase(0, 3);
        firstLine = false;

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
    return read == kNoMoreLines && !ferror(stream) && !checksumList.empty();
}
