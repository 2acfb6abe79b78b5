#include "sumvault_test_support.h"

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "sumvault_run.h"

void ScratchDirTest::SetUp() {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    previousDir_ = cwd;
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base != nullptr ? base : "/tmp") + "/sumvault-XXXXXX";
    ASSERT_NE(mkdtemp(&pattern[0]), nullptr);
    dir_ = pattern;
    ASSERT_EQ(chdir(dir_.c_str()), 0);
}

void ScratchDirTest::TearDown() {
    ASSERT_EQ(chdir(previousDir_.c_str()), 0);
    ASSERT_EQ(system(("rm -rf '" + dir_ + "'").c_str()), 0);
}

void writeFile(const std::string& path, const std::string& content) {
    const size_t slash = path.rfind('/');
    if (slash != std::string::npos) {
        ASSERT_EQ(system(("mkdir -p '" + path.substr(0, slash) + "'").c_str()), 0);
    }
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(content.data(), static_cast<std::streamsize>(content.size()));
    ASSERT_TRUE(file.good()) << path;
}

std::string md5sumOf(const std::string& path) {
    FILE* pipe = popen(("md5sum '" + path + "'").c_str(), "r");
    if (pipe == nullptr) return "md5sum failed";
    char line[128] = {};
    const bool got = fgets(line, sizeof line, pipe) != nullptr;
    const int status = pclose(pipe);
    if (!got || status != 0) return "md5sum failed";
    return std::string(line, 32);
}

std::string hexOf(const uint8_t digest[16]) {
    char text[33];
    for (int i = 0; i < 16; ++i) snprintf(text + 2 * i, 3, "%02x", digest[i]);
    return std::string(text, 32);
}

Captured runCaptured(const char* invocationName) {
    Captured result;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    result.code = runSumvault(invocationName);
    fflush(stdout);
    fflush(stderr);
    result.err = testing::internal::GetCapturedStderr();
    result.out = testing::internal::GetCapturedStdout();
    return result;
}
