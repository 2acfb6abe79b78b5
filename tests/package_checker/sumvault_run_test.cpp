#include "sumvault_run.h"

#include <dirent.h>

#include <cerrno>
#include <string>
#include <vector>

#include "aligned_buffer.h"
#include "checksum_list.h"
#include "file_digest.h"
#include "sumvault_test_support.h"

static const char kBanner[] = "Hello World!\n\tversion: Quorel 0.01\n";
static const char kPassedBox[] = "[提示] 校验成功,可升级！\nCheck Successful!\n";
static const char kFailedBox[] = "[提示] 校验失败,请重新解压！\nCheck Failed!\n";

static const char kAbc[] = "900150983cd24fb0d6963f7d28e17f72";
static const char kAbcUpper[] = "900150983CD24FB0D6963F7D28E17F72";
static const char kAbcMixed[] = "900150983Cd24fB0d6963f7D28e17F72";
static const char kMessage[] = "f96b697d7cb7938d525a2f31aaf161d0";
static const char kMessageMixed[] = "F96B697D7CB7938D525A2F31AAF161d0";

class SumvaultRun : public ScratchDirTest {
protected:
    void SetUp() override {
        ScratchDirTest::SetUp();
        writeFile("usb_update/abc.bin", "abc");
        writeFile("usb_update/msg.bin", "message digest");
        writeFile("usb_other/abc.bin", "abc");
        writeFile("usb_update/empty.bin", "");
    }
};

static std::string hashed(const std::string& path, const std::string& expected,
                          const std::string& computed, int size) {
    return "open " + path + " count: " + std::to_string(size) + "  \b\\\bsuccess\n[" + expected +
           "] [" + computed + "] < " + path + "\n";
}
static std::string abcLine(const std::string& expected = kAbc,
                           const std::string& path = "usb_update/abc.bin") {
    return hashed(path, expected, kAbc, 3);
}
static std::string msgLine() { return hashed("usb_update/msg.bin", kMessage, kMessage, 14); }
static std::string entry(const std::string& digest, const std::string& path,
                         const std::string& separator = "  ", const std::string& end = "\n") {
    return digest + separator + path + end;
}

TEST_F(SumvaultRun, OutcomesWithTheirTranscripts) {
    struct Case {
        const char* name;
        std::string list;  // "-": no md5.txt at all
        int code;
        std::string printed;
    };
    const std::string abc = entry(kAbc, "usb_update/abc.bin");
    const std::string msg = entry(kMessage, "usb_update/msg.bin");
    const std::string bom = "\xEF\xBB\xBF", longest = "usb_update/" + std::string(32723, 'x');
    std::vector<Case> cases = {
        {"no list", "-", 3, ""},
        {"empty list", "", 1, ""},
        {"only line ends", "\n\r\n", 1, ""},
        {"byte-order mark skipped", bom + abc + msg, 0, abcLine() + msgLine()},
        {"byte-order mark only at the start", abc + bom + msg, 1, ""},
        {"line of 32 KiB", entry(kAbc, longest), 2, "open " + longest + " \n"},
        {"longer line rejects", entry(kAbc, longest + "x") + abc, 1, ""},
        {"intact", abc + msg, 0, abcLine() + msgLine()},
        {"upper-case digest", entry(kAbcUpper, "usb_update/abc.bin"), 0, abcLine(kAbcUpper)},
        {"mixed-case digests",
         entry(kAbcMixed, "usb_update/abc.bin") + entry(kMessageMixed, "usb_update/msg.bin"), 0,
         abcLine(kAbcMixed) + hashed("usb_update/msg.bin", kMessageMixed, kMessage, 14)},
        {"second of three differs", abc + entry(kAbc, "usb_update/msg.bin") + msg, 1,
         abcLine() + hashed("usb_update/msg.bin", kAbc, kMessage, 14)},
        {"empty file", abc + entry(kAbc, "usb_update/empty.bin") + msg, 2,
         abcLine() + "open usb_update/empty.bin count: 0  \n"},
        {"missing file", entry(kAbc, "usb_update/none.bin") + abc, 2,
         "open usb_update/none.bin \n"},
        {"third path outside usb_", abc + msg + entry(kAbc, "update/abc.bin"), 1, ""},
        {"prefix is case-sensitive", entry(kAbc, "USB_update/abc.bin"), 1, ""},
        {"any usb_ folder passes", entry(kAbc, "usb_other/abc.bin"), 0,
         abcLine(kAbc, "usb_other/abc.bin")},
        {"any two separator characters", entry(kAbc, "usb_update/abc.bin", " *") + msg, 0,
         abcLine() + msgLine()},
        {"carriage returns and line feeds trimmed",
         entry(kAbc, "usb_update/abc.bin", "  ", "\r\n") +
             entry(kMessage, "usb_update/msg.bin", "  ", "\r\r\n"),
         0, abcLine() + msgLine()},
        {"trailing blank kept", entry(kAbc, "usb_update/abc.bin ", "  ", "\r\n"), 2,
         "open usb_update/abc.bin  \n"},
        {"last line without line end", abc + entry(kMessage, "usb_update/msg.bin", "  ", ""), 0,
         abcLine() + msgLine()},
        {"same file twice", abc + abc, 0, abcLine() + abcLine()},
        {"line-end-only lines skipped", "\n" + abc + "\r\n\n" + msg + "\r\n", 0,
         abcLine() + msgLine()},
        {"short line rejects before hashing", abc + "\t\n" + msg, 1, ""},
        {"line without path rejects", abc + std::string(kAbc) + "  \n", 1, ""},
        {"path too short for the prefix", std::string(kAbc) + "  usb\n", 1, ""},
        {"NUL ends a line", entry(kAbc, "usb_update/abc.bin", "  ", std::string(9, '\0')), 1, ""},
        {"NUL inside a path", entry(kAbc, std::string("usb_update/abc.bin\0x", 20)), 1, ""},
        {"NUL line after the entries", abc + std::string(4, '\0') + "\n", 1, ""},
        {"a single dot stays inside", entry(kAbc, "usb_update/./abc.bin") + msg, 0,
         abcLine(kAbc, "usb_update/./abc.bin") + msgLine()},
    };
    // Paths that could lead out of the package: each rejects the list before any file is hashed.
    for (const char* sep : {"/", "\\"}) {
        for (const char* step : {"..", "...", ".. "}) {
            for (const std::string& path :
                 {std::string("usb_update") + sep + step + sep + "x",
                  std::string("usb_") + sep + step, std::string("usb_update") + sep + step}) {
                cases.push_back({"leaves the package", abc + entry(kAbc, path), 1, ""});
            }
        }
    }
    for (const char* path : {"usb_update/abc.bin:stream", "usb_:abc.bin", "usb_\\C:\\abc.bin"}) {
        cases.push_back({"colon", abc + entry(kAbc, path), 1, ""});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.list == "-") {
            remove("md5.txt");
        } else {
            writeFile("md5.txt", c.list);
        }
        const Captured run = runCaptured("Sumvault.exe");
        EXPECT_EQ(run.code, c.code);
        EXPECT_EQ(run.out, kBanner + c.printed + "errorcode: " + std::to_string(c.code) + "\n");
        EXPECT_EQ(run.err, c.code == 0 ? kPassedBox : kFailedBox);
    }
}

// Nothing reached through a link is vouched for, wherever the link is, and nothing that is not a
// regular file holds the run up.
TEST_F(SumvaultRun, LinksAndFifosAreRefused) {
    ASSERT_EQ(
        system(
            "mkdir -p elsewhere usb_update/inner && echo -n abc >elsewhere/abc.bin && "
            "ln -s ../elsewhere/abc.bin usb_update/out.bin && ln -s abc.bin usb_update/in.bin && "
            "ln -s ../elsewhere usb_update/folder && ln -s elsewhere usb_linked && "
            "ln -s usb_update usb_alias && mkfifo usb_update/fifo.bin list"),
        0);
    for (const char* path : {"usb_update/out.bin", "usb_update/in.bin", "usb_update/folder/abc.bin",
                             "usb_linked/abc.bin", "usb_alias/abc.bin", "usb_update/fifo.bin"}) {
        writeFile("md5.txt", entry(kAbc, "usb_update/abc.bin") + entry(kAbc, path));
        const Captured run = runCaptured("Sumvault.exe");
        EXPECT_EQ(run.code, 2) << path;
        EXPECT_EQ(run.out, kBanner + abcLine() + "open " + path + " \nerrorcode: 2\n");
    }
    ASSERT_EQ(rename("list", "md5.txt"), 0);
    const Captured run = runCaptured("Sumvault.exe");
    EXPECT_EQ(run.code, 3);
    EXPECT_EQ(run.out, kBanner + std::string("errorcode: 3\n"));
}

static int ringsAllocated;
static void* countRing(size_t size) {
    ++ringsAllocated;
    return allocateAlignedBuffer(size);
}

// One read ring for the whole run, however many files it reads: more than the reader can keep
// ahead of the hash, so that it waits for room again and again.
TEST_F(SumvaultRun, OneRingForTheWholeRun) {
    std::string list, printed;
    for (int i = 0; i < 500; ++i) {
        list += entry(kAbc, "usb_update/abc.bin") + entry(kMessage, "usb_update/msg.bin");
        printed += abcLine() + msgLine();
    }
    writeFile("md5.txt", list);
    digestBufferAlloc = countRing;
    const Captured run = runCaptured("Sumvault.exe");
    digestBufferAlloc = allocateAlignedBuffer;
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, kBanner + printed + "errorcode: 0\n");
    EXPECT_EQ(ringsAllocated, 1);
}

TEST_F(SumvaultRun, RunsOnlyUnderItsOwnFileName) {
    writeFile("md5.txt", entry(kAbc, "usb_update/abc.bin"));
    struct Case {
        const char* name;
        bool accepted;
    };
    const Case cases[] = {
        {"Sumvault.exe", true},
        {"C:\\update\\Sumvault.exe", true},
        {"Sumvault.exe.lnk", true},
        {"sumvault.exe", false},
        {"Sumvault.EXE", false},
        {"Sumvault", false},
        {"", false},
        {nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name != nullptr ? c.name : "(no name)");
        const Captured run = runCaptured(c.name);
        if (c.accepted) {
            EXPECT_EQ(run.code, 0);
            EXPECT_EQ(run.out, kBanner + abcLine() + "errorcode: 0\n");
            EXPECT_EQ(run.err, kPassedBox);
        } else {
            EXPECT_EQ(run.code, 255);
            EXPECT_EQ(run.out, kBanner);
            EXPECT_EQ(run.err, "");
        }
    }
}

// Paths are not cut into pieces, however long the line.
TEST_F(SumvaultRun, LongPathIsReadWhole) {
    const std::string path =
        "usb_update/" + std::string(150, 'd') + "/" + std::string(150, 'e') + "/abc.bin";
    writeFile(path, "abc");
    writeFile("md5.txt", entry(kAbc, path, "  ", "\r\n"));
    const Captured run = runCaptured("Sumvault.exe");
    EXPECT_EQ(run.code, 0);
    EXPECT_EQ(run.out, kBanner + abcLine(kAbc, path) + "errorcode: 0\n");
}

static int openDescriptors() {
    int count = 0;
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return -1;
    while (readdir(dir) != nullptr) ++count;
    closedir(dir);
    return count;
}

TEST_F(SumvaultRun, ListAndFilesAreClosedWhateverTheOutcome) {
    const std::string lists[] = {
        entry(kAbc, "usb_update/abc.bin"),
        entry(kAbc, "update/abc.bin"),
    };
    for (const std::string& list : lists) {
        writeFile("md5.txt", list);
        const int before = openDescriptors();
        runCaptured("Sumvault.exe");
        EXPECT_EQ(openDescriptors(), before) << list;
    }
}

TEST(ChecksumList, ReadErrorRejectsTheLinesBeforeIt) {
    std::string text = entry(kAbc, "usb_update/abc.bin");
    cookie_read_function_t* read = [](void* rest, char* buffer, size_t size) -> ssize_t {
        const size_t n = static_cast<std::string*>(rest)->copy(buffer, size);
        static_cast<std::string*>(rest)->erase(0, n);
        return n > 0 ? static_cast<ssize_t>(n) : (errno = EIO, -1);  // then a bad sector
    };
    FILE* stream = fopencookie(&text, "r", {read, nullptr, nullptr, nullptr});
    EXPECT_FALSE(readChecksumList(stream));
    fclose(stream);
}
