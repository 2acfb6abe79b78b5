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
static bool isSeparator(char c) { return c == '/' || c == '\\'; }

// Two dots or more, with nothing else but blanks (which Windows drops): a step up out of a folder.
static bool isParentSegment(const char* segment, size_t length) {
    size_t dots = 0;
    for (size_t i = 0; i < length; ++i) {
        if (segment[i] == '.') {
            ++dots;
        } else if (segment[i] != ' ' || dots == 0) {
            return false;
        }
    }
    return dots >= 2;
}

// Whether the path can only name something inside the package folder: it starts with a name,
// not a separator; no segment steps up out of it; and it holds no colon, which would make it a
// drive, a device or another stream of the file (name:stream).
static bool staysInPackage(const char* path, size_t length) {
    if (length == 0 || isSeparator(path[0]) || memchr(path, ':', length) != nullptr) return false;
    size_t start = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (i < length && !isSeparator(path[i])) continue;
        if (isParentSegment(path + start, i - start)) return false;
        start = i + 1;
    }
    return true;
}

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

        // A list is text: a NUL byte means damage, such as a copy cut short whose tail was filled
        // with zeros, where the lines that stood there are lost.
        if (memchr(line.data(), '\0', line.size()) != nullptr) return false;

        bool lineEndOnly = true;
        for (char c : line) lineEndOnly = lineEndOnly && isLineEnd(c);
        if (lineEndOnly) continue;

        size_t length = line.size();
        while (length > 0 && isLineEnd(line[length - 1])) --length;
        if (length <= kPathStart) return false;
        const char* path = line.c_str() + kPathStart;
        if (strncmp(path, "usb_", 4) != 0) return false;
        if (!staysInPackage(path, length - kPathStart)) return false;

        checksumList.push_back(
            ChecksumEntry{line.substr(0, kDigestLength), std::string(path, length - kPathStart)});
    }
    // A read error (a bad sector on the stick) ends the stream early, and an interrupted
    // unpack leaves an empty list: either way some files were never vouched for.
    return read == kNoMoreLines && !ferror(stream) && !checksumList.empty();
}
