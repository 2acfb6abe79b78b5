#include "file_digest.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "aligned_buffer.h"
#include "listed_file.h"
#include "millisecond_clock.h"
#include "sumvault_test_support.h"

class FileDigest : public ScratchDirTest {
protected:
    void TearDown() override {
        digestBufferAlloc = allocateAlignedBuffer;
        progressClock = millisecondClock;
        listedFileAccess = {openListedFile, measureListedFile, readListedFile, closeListedFile,
                            startAsyncReads};
        digestUpdate = md5Update;
        ScratchDirTest::TearDown();
    }
    // One call: its result, with what it printed and what the message box showed.
    bool digest(const char* path, std::string* out, std::string* box = nullptr) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const bool ok = computeFileDigest(path);
        fflush(stdout);
        const std::string err = testing::internal::GetCapturedStderr();
        *out = testing::internal::GetCapturedStdout();
        if (box != nullptr) *box = err;
        return ok;
    }
};

static std::string patterned(size_t size) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return data;
}

TEST_F(FileDigest, OneProgressCharacterPerChunkCyclingFromBackslash) {
    const std::pair<size_t, const char*> cases[] = {
        {1, "\b\\"},
        {40960, "\b\\"},
        {40961, "\b\\\b|"},
        {5 * 40960, "\b\\\b|\b/\b-\b\\"},
    };
    for (const auto& [size, progress] : cases) {
        writeFile("usb_update/f.bin", patterned(size));
        std::string out;
        ASSERT_TRUE(digest("usb_update/f.bin", &out)) << size;
        EXPECT_EQ(out, "open usb_update/f.bin count: " + std::to_string(size) + "  " + progress +
                           "\bsuccess\n");
        EXPECT_EQ(hexOf(lastDigest), md5sumOf("usb_update/f.bin")) << size;
    }
}

TEST_F(FileDigest, UnreadableFilesLeaveTheLineOpenAndTheLastDigestAlone) {
    writeFile("good", "abc");
    writeFile("empty", "");
    ASSERT_EQ(system("mkdir folder"), 0);
    const std::pair<const char*, const char*> cases[] = {
        {"missing", "open missing "},
        {"empty", "open empty count: 0  "},
        {"folder", nullptr},  // fails at measuring or reading, depending on the file system
    };
    for (const auto& [path, printed] : cases) {
        std::string out;
        ASSERT_TRUE(digest("good", &out));
        ASSERT_FALSE(digest(path, &out)) << path;
        if (printed != nullptr) {
            EXPECT_EQ(out, printed);
        }
        EXPECT_EQ(out.find("success"), std::string::npos) << out;
        EXPECT_EQ(hexOf(lastDigest), "900150983cd24fb0d6963f7d28e17f72") << path;
    }
}

// A clock that moves 40 ms a chunk and notes how much output had reached the console each time.
static uint32_t clockMs;
static std::vector<long> consoleBytes;
static uint32_t steppingClock() {
    struct stat console;
    consoleBytes.push_back(fstat(fileno(stdout), &console) == 0 ? console.st_size : -1);
    return clockMs += 40;
}

// The spinner reaches the console every 100 ms while a file is hashed, not at every chunk, and
// so does the line once finished.
TEST_F(FileDigest, ProgressReachesTheConsoleEveryHundredMilliseconds) {
    writeFile("f", patterned(6 * 40960));
    progressClock = steppingClock;
    std::string out;
    ASSERT_TRUE(digest("f", &out));
    const long head = static_cast<long>(strlen("open f count: 245760  ")), threeChunks = head + 6;
    EXPECT_EQ(consoleBytes,
              (std::vector<long>{0, 0, 0, 0, threeChunks, threeChunks, threeChunks, head + 12}));
}

// The file resized under the reader: once it has been measured, or once a read has ended (the
// reader then reads one block at a time, through the read put here).
static off_t resizeTo;
static int64_t measureThenResize(ListedFile* file) {
    const int64_t size = measureListedFile(file);
    return truncate("f", resizeTo) == 0 ? size : -1;
}
static long readThenResize(ListedFile* file, int64_t offset, void* buffer, size_t size) {
    const long got = readListedFile(file, offset, buffer, size);
    return truncate("f", resizeTo) == 0 ? got : -1;
}
static void* refuse(size_t) { return nullptr; }

TEST_F(FileDigest, ChangedWhileReadOrNoMemory) {
    struct Case {
        const char* name;
        ListedFileAccess access;
        void* (*alloc)(size_t);
        off_t resizeTo;
        const char* rest;  // printed after "count: 100000  "; the file is hashed if it succeeds
        const char* box;
    };
    const ListedFileAccess measured = {openListedFile, measureThenResize, readListedFile,
                                       closeListedFile, startAsyncReads};
    const ListedFileAccess read = {openListedFile, measureListedFile, readThenResize,
                                   closeListedFile, nullptr};
    const Case cases[] = {
        {"unchanged", measured, allocateAlignedBuffer, 100000, "\b\\\b|\b/\bsuccess\n", ""},
        {"grew after measuring", measured, allocateAlignedBuffer, 150000, "\b\\\b|\b/", ""},
        {"grew after its last read", read, allocateAlignedBuffer, 100001, "\b\\\b|\b/", ""},
        {"shrank by a byte", measured, allocateAlignedBuffer, 99999, "\b\\\b|", ""},
        {"shrank to half", measured, allocateAlignedBuffer, 50000, "\b\\", ""},
        {"emptied", measured, allocateAlignedBuffer, 0, "", ""},
        {"no memory", measured, refuse, 100000, "Out of memory\n", "[提示] Out of memory!\n\n"},
    };
    const std::string data = patterned(100000);
    writeFile("measured", data);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("f", data);
        memset(lastDigest, 0xA5, sizeof lastDigest);
        resizeTo = c.resizeTo;
        listedFileAccess = c.access;
        digestBufferAlloc = c.alloc;
        std::string out, box;
        const bool hashed = strstr(c.rest, "success") != nullptr;
        EXPECT_EQ(digest("f", &out, &box), hashed);
        EXPECT_EQ(out, std::string("open f count: 100000  ") + c.rest);
        EXPECT_EQ(box, c.box);
        EXPECT_EQ(hexOf(lastDigest),
                  hashed ? md5sumOf("measured") : "a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5");
    }
}

// A file past 4 GiB through an injected reader that writes each chunk's own offset at its start,
// and a digest step that checks and counts instead of hashing: the 64-bit size, offsets and chunk
// count with no disk and no 4.5 GiB of MD5 (4.5 GiB: 2^29 and more past 4 GiB, so that 32-bit
// arithmetic goes wrong however it wraps). The digest past 4 GiB is checked against md5sum in the
// Wine run.
static int64_t fakeSize, fakeReadAt, fedBytes;
static ListedFileOpen fakeOpened;
static bool readInOrder, fedInOrder;  // one for each thread
static ListedFileOpen fakeOpen(const char*, ListedFolder*, ListedFile* file) {
    file->handle = -1;
    return fakeOpened;
}
static int64_t fakeMeasure(ListedFile*) { return fakeSize; }
static long fakeRead(ListedFile*, int64_t offset, void* buffer, size_t size) {
    readInOrder = readInOrder && offset == fakeReadAt;
    const int64_t got = std::min(static_cast<int64_t>(size), fakeSize - offset);
    for (int64_t at = 0; at < got; at += 40960) {
        const int64_t mark = offset + at;
        memcpy(static_cast<char*>(buffer) + at, &mark, std::min<int64_t>(8, got - at));
    }
    fakeReadAt = offset + got;
    return static_cast<long>(got);
}
static void fakeClose(ListedFile*) {}
static void checkAndCount(Md5Context*, const void* data, size_t size) {
    fedInOrder = fedInOrder && memcmp(data, &fedBytes, std::min<size_t>(8, size)) == 0;
    fedBytes += static_cast<int64_t>(size);
}

TEST_F(FileDigest, InjectedReaderSizesOffsetsAndCountPastFourGib) {
    struct Case {
        int64_t size;
        ListedFileOpen opened;
        const char* notice;  // printed before the line; once per run
    };
    const std::string cached =
        "This drive does not allow unbuffered reading: its files are read through the system's "
        "cache.\n";
    const Case cases[] = {
        {(9LL << 29) + 40960 + 3, kOpenedUnbuffered, ""},
        {3, kOpenedCached, cached.c_str()},
        {40961, kOpenedCached, ""},
    };
    listedFileAccess = {fakeOpen, fakeMeasure, fakeRead, fakeClose, nullptr};
    digestUpdate = checkAndCount;
    cachedReadingAnnounced = false;
    for (const Case& c : cases) {
        fakeSize = c.size, fakeOpened = c.opened, fakeReadAt = fedBytes = 0,
        readInOrder = fedInOrder = true;
        std::string out;
        ASSERT_TRUE(digest("f", &out)) << c.size;
        const std::string head = c.notice + ("open f count: " + std::to_string(c.size) + "  ");
        EXPECT_EQ(out.substr(0, head.size()), head);
        EXPECT_EQ(out.size(), head.size() + 2 * ((c.size + 40959) / 40960) + 9);
        EXPECT_EQ(out.substr(out.size() - 9), "\bsuccess\n");
        EXPECT_EQ(fedBytes, c.size);
        EXPECT_TRUE(readInOrder && fedInOrder) << c.size;
    }
}
