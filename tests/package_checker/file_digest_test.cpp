#include "file_digest.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "millisecond_clock.h"
#include "sumvault_test_support.h"

class FileDigest : public ScratchDirTest {
protected:
    void TearDown() override {
        digestBufferAlloc = malloc;
        progressClock = millisecondClock;
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

// The spinner reaches the console every 100 ms while a file is hashed, not at every chunk.
TEST_F(FileDigest, ProgressReachesTheConsoleEveryHundredMilliseconds) {
    writeFile("f", patterned(6 * 40960));
    progressClock = steppingClock;
    std::string out;
    ASSERT_TRUE(digest("f", &out));
    const long threeChunks = static_cast<long>(strlen("open f count: 245760  ")) + 3 * 2;
    EXPECT_EQ(consoleBytes, (std::vector<long>{0, 0, 0, 0, threeChunks, threeChunks, threeChunks}));
}

// The buffer is allocated after the file was measured: the moment to resize the file under
// the call, or to refuse it the memory.
static off_t resizeTo;
static void* resizeThenAllocate(size_t size) {
    return truncate("f", resizeTo) == 0 ? malloc(size) : nullptr;
}
static void* refuse(size_t) { return nullptr; }

TEST_F(FileDigest, ChangedAfterMeasuringOrNoMemory) {
    struct Case {
        const char* name;
        void* (*alloc)(size_t);
        off_t resizeTo;
        bool hashed;
        const char* rest;  // printed after "count: 100000  "
        const char* box;
    };
    const Case cases[] = {
        {"grew: the measured bytes count", resizeThenAllocate, 150000, true,
         "\b\\\b|\b/\bsuccess\n", ""},
        {"shrank by a byte", resizeThenAllocate, 99999, false, "\b\\\b|", ""},
        {"shrank to half", resizeThenAllocate, 50000, false, "\b\\", ""},
        {"emptied", resizeThenAllocate, 0, false, "", ""},
        {"no memory", refuse, 0, false, "Out of memory\n", "[提示] Out of memory!\n\n"},
    };
    const std::string data = patterned(100000);
    writeFile("measured", data);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile("f", data);
        memset(lastDigest, 0xA5, sizeof lastDigest);
        resizeTo = c.resizeTo;
        digestBufferAlloc = c.alloc;
        std::string out, box;
        EXPECT_EQ(digest("f", &out, &box), c.hashed);
        EXPECT_EQ(out, std::string("open f count: 100000  ") + c.rest);
        EXPECT_EQ(box, c.box);
        EXPECT_EQ(hexOf(lastDigest),
                  c.hashed ? md5sumOf("measured") : "a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5");
    }
}

// A sparse file past 4 GiB costs no disk space; its digest needs the size in 64 bits, the
// byte count's high word and the top bits of its low word (4.5 GiB: 2^29 and more past 4 GiB).
// A marker at the end makes sure the last bytes are really read.
TEST_F(FileDigest, FilePastFourGibIsHashedInFull) {
    const long long size = (9LL << 29) + 40960 + 3;
    const std::string make = "truncate -s " + std::to_string(size - 3) + " big";
    ASSERT_EQ(system((make + " && printf END >> big").c_str()), 0);
    std::string out;
    ASSERT_TRUE(digest("big", &out));
    const std::string head = "open big count: " + std::to_string(size) + "  ";
    EXPECT_EQ(out.substr(0, head.size()), head);
    EXPECT_EQ(out.size(), head.size() + 2 * ((size + 40959) / 40960) + 9);
    EXPECT_EQ(out.substr(out.size() - 9), "\bsuccess\n");
    EXPECT_EQ(hexOf(lastDigest), md5sumOf("big"));
}
