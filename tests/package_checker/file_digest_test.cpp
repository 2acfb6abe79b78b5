#include "file_digest.h"

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "sumvault_test_support.h"

class FileDigest : public ScratchDirTest {
protected:
    void TearDown() override {
        digestBufferAlloc = malloc;
        ScratchDirTest::TearDown();
    }
    // Runs one call and returns its result with what it printed.
    bool digest(const char* path, std::string* out, std::string* err = nullptr) {
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const bool ok = computeFileDigest(path);
        fflush(stdout);
        const std::string errText = testing::internal::GetCapturedStderr();
        *out = testing::internal::GetCapturedStdout();
        if (err != nullptr) *err = errText;
        return ok;
    }
    void presetLastDigest() { memset(lastDigest, 0xA5, sizeof lastDigest); }
};

static std::string patterned(size_t size) {
    std::string data(size, '\0');
    for (size_t i = 0; i < size; ++i) data[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    return data;
}

TEST_F(FileDigest, OneProgressCharacterPerChunkCyclingFromBackslash) {
    struct Case {
        size_t size;
        const char* progress;
    };
    const Case cases[] = {
        {1, "\b\\"},
        {40960, "\b\\"},
        {40961, "\b\\\b|"},
        {5 * 40960, "\b\\\b|\b/\b-\b\\"},
    };
    for (const Case& c : cases) {
        writeFile("usb_update/f.bin", patterned(c.size));
        std::string out;
        ASSERT_TRUE(digest("usb_update/f.bin", &out)) << c.size;
        EXPECT_EQ(out, "open usb_update/f.bin count: " + std::to_string(c.size) + "  " +
                           c.progress + "\bsuccess\n");
        EXPECT_EQ(hexOf(lastDigest), md5sumOf("usb_update/f.bin")) << c.size;
    }
}

TEST_F(FileDigest, FailuresLeaveTheLineOpenAndTheLastDigestAlone) {
    writeFile("good", "abc");
    writeFile("empty", "");
    ASSERT_EQ(system("mkdir folder"), 0);
    struct Case {
        const char* path;
        const char* printed;  // nullptr: only the start of the line is fixed
    };
    const Case cases[] = {
        {"missing", "open missing "},
        {"empty", "open empty count: 0  "},
        {"folder", nullptr},
    };
    for (const Case& c : cases) {
        std::string out;
        ASSERT_TRUE(digest("good", &out));
        ASSERT_FALSE(digest(c.path, &out)) << c.path;
        if (c.printed != nullptr) {
            EXPECT_EQ(out, c.printed);
        } else {
            EXPECT_EQ(out.rfind(std::string("open ") + c.path + " ", 0), 0u) << out;
            EXPECT_EQ(out.find("success"), std::string::npos) << out;
        }
        EXPECT_EQ(hexOf(lastDigest), "900150983cd24fb0d6963f7d28e17f72") << c.path;
    }
}

TEST_F(FileDigest, OutOfMemoryIsReportedAndShown) {
    writeFile("f", "abc");
    presetLastDigest();
    digestBufferAlloc = [](size_t) -> void* { return nullptr; };
    std::string out, err;
    EXPECT_FALSE(digest("f", &out, &err));
    EXPECT_EQ(out, "open f count: 3  Out of memory\n");
    EXPECT_EQ(err, "[提示] Out of memory!\n\n");
    EXPECT_EQ(hexOf(lastDigest), "a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5");
}

// The buffer is allocated after the file was measured: the moment to change its length.
static off_t newLength;
static void* resizeThenAllocate(size_t size) {
    if (truncate("f", newLength) != 0) return nullptr;
    return malloc(size);
}

TEST_F(FileDigest, FileThatShrankIsNotHashedFromStaleData) {
    const std::string data = patterned(100000);
    struct Case {
        off_t shrunkTo;
        const char* progress;
    };
    const Case cases[] = {{99999, "\b\\\b|"}, {50000, "\b\\"}, {0, ""}};
    for (const Case& c : cases) {
        writeFile("f", data);
        presetLastDigest();
        newLength = c.shrunkTo;
        digestBufferAlloc = resizeThenAllocate;
        std::string out;
        EXPECT_FALSE(digest("f", &out)) << c.shrunkTo;
        EXPECT_EQ(out, std::string("open f count: 100000  ") + c.progress) << c.shrunkTo;
        EXPECT_EQ(hexOf(lastDigest), "a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5a5") << c.shrunkTo;
    }
}

TEST_F(FileDigest, FileThatGrewIsHashedOverItsMeasuredLength) {
    const std::string data = patterned(50000);
    writeFile("measured", data);
    writeFile("f", data);
    newLength = 90000;  // the new bytes read as zeros
    digestBufferAlloc = resizeThenAllocate;
    std::string out;
    ASSERT_TRUE(digest("f", &out));
    EXPECT_EQ(out, "open f count: 50000  \b\\\b|\bsuccess\n");
    EXPECT_EQ(hexOf(lastDigest), md5sumOf("measured"));
}

// A sparse file past 4 GiB costs no disk space; its digest needs the size in 64 bits and the
// byte count's high word. A marker at the end makes sure the last bytes are really read.
TEST_F(FileDigest, FilePastFourGibIsHashedInFull) {
    const long long size = (4LL << 30) + 40960 + 3;
    ASSERT_EQ(
        system(("truncate -s " + std::to_string(size - 3) + " big && printf END >> big").c_str()),
        0);
    std::string out;
    ASSERT_TRUE(digest("big", &out));
    const std::string head = "open big count: " + std::to_string(size) + "  ";
    EXPECT_EQ(out.substr(0, head.size()), head);
    EXPECT_EQ(out.size(), head.size() + 2 * ((size + 40959) / 40960) + 9);
    EXPECT_EQ(out.substr(out.size() - 9), "\bsuccess\n");
    EXPECT_EQ(hexOf(lastDigest), md5sumOf("big"));
}
