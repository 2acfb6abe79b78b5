// Helpers for the package checker tests: a scratch working directory, files, output capture.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

// Each test runs in a fresh temporary directory that becomes the working directory.
class ScratchDirTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    std::string dir_;

private:
    std::string previousDir_;
};

void writeFile(const std::string& path, const std::string& content);
// The digest as coreutils' md5sum sees the file: an independent reference.
std::string md5sumOf(const std::string& path);
std::string hexOf(const uint8_t digest[16]);

struct Captured {
    int code;
    std::string out;
    std::string err;
};
// Runs the whole program in-process with the given argv[0], capturing both streams.
Captured runCaptured(const char* invocationName);
