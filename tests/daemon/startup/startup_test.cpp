// The daemon binary started on a temporary board: start-up failures end it with the right
// result and messages, and nothing after the failing step runs (seen through the board files
// that later steps would write).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <string>

#include "temp_board.h"

#ifndef TAVRION_EMULATOR_ARGV
#define TAVRION_EMULATOR_ARGV
#endif

namespace {

// One ADC group on channel 1 whose first key is the power key, and GPIO keys switched on, so
// that every later start-up step would leave a trace on the board or in the log.
const char* kLayout = R"(<?xml version="1.0" encoding="utf-8"?>
<key_pad_xml>
    <adc_group0>
        <enable value="1"/>
        <channel_id value="1"/>
        <KeyLevelNum value="2"/>
        <key_pad KeyThreshold="0x40" KeyCode="0x74" LongKeyCode="0"/>
        <key_pad KeyThreshold="0x80" KeyCode="0x73" LongKeyCode="0"/>
    </adc_group0>
    <gpio>
        <enable value="1"/>
        <KeyLevelNum value="1"/>
        <key_pad GroupNum="1" PinNum="2" KeyCode="114"/>
    </gpio>
</key_pad_xml>
)";

struct Outcome {
    int exitStatus = -1;  // -1: did not exit normally
    std::string log;
};

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Runs the daemon to its end. The alarm ends a daemon that unexpectedly starts up, so that a
// fault shows as a failed test rather than a hung one.
Outcome RunDaemon(const TempBoard& board) {
    const std::string logPath = board.root() + "/daemon.log";
    pid_t child = fork();
    if (child == 0) {
        int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int devNull = open("/dev/null", O_WRONLY);
        dup2(devNull, STDOUT_FILENO);
        dup2(log, STDERR_FILENO);
        alarm(20);
        // A cross build starts the daemon through the emulator that runs this test.
        const char* const argv[] = {TAVRION_EMULATOR_ARGV TAVRION_BINARY, nullptr};
        execv(argv[0], const_cast<char* const*>(argv));
        _exit(127);
    }
    Outcome outcome;
    int status = 0;
    if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
        outcome.exitStatus = WEXITSTATUS(status);
    }
    outcome.log = ReadFile(logPath);
    return outcome;
}

}  // namespace

TEST(StartupTest, FailedLsadcInitEndsWithItsCodeAndNothingElse) {
    struct Case {
        const char* code;
        int exitStatus;  // the low byte of the negative code
    };
    const Case cases[] = {
        {"0x80470001", 0x01},
        {"0x804700fe", 0xfe},
        {"0xffffffff", 0xff},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        TempBoard board;
        board.WriteKeyPad(kLayout);
        board.Write("fail/HI_UNF_LSADC_Init", c.code);
        Outcome outcome = RunDaemon(board);
        EXPECT_EQ(outcome.exitStatus, c.exitStatus);
        EXPECT_EQ(outcome.log, "");
        EXPECT_FALSE(board.Exists("lsadc/config")) << "the controller was set up";
    }
}

TEST(StartupTest, MissingUinputEndsAfterTheControllerSetUp) {
    if (access("/dev/uinput", F_OK) == 0) {
        GTEST_SKIP() << "this machine has /dev/uinput; the real-kernel runs cover its absence";
    }
    TempBoard board;
    board.WriteKeyPad(kLayout);
    Outcome outcome = RunDaemon(board);
    EXPECT_EQ(outcome.exitStatus, 255);

    const std::string opened = "D/tavrion: Unable to open /dev/uinput\n";
    const std::string fatal = "D/tavrion: Unable to find uInput device\n";
    size_t openedAt = outcome.log.find(opened);
    ASSERT_NE(openedAt, std::string::npos) << outcome.log;
    // The last message: the power-key wake-up, the GPIO keys and epoll never ran.
    EXPECT_EQ(outcome.log.substr(openedAt), opened + fatal);
    EXPECT_TRUE(board.Exists("lsadc/config")) << "the controller set-up comes first";
    EXPECT_FALSE(board.Exists("pmoc/6")) << "the power-key wake-up comes after the keyboard";
}
