// The worker's loop with everything around it scripted: the waits' results, the GPIO poller and
// the group sampler are stand-ins that write to one trace, and the loop is ended by leaving the
// worker thread from inside a stand-in once the script has run out.
#include <errno.h>
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/epoll.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "key_pars/key_pars.h"
#include "main/adc_scanner.h"
#include "main/gpio_keys.h"
#include "main/tavrion_thread.h"

uint8_t gpioReady = 0;
KeyArry keyGroups[kAdcGroupCount];

namespace {

struct WaitResult {
    int result;
    int error;
};

struct Script {
    std::vector<WaitResult> waits;  // the worker leaves when they are used up
    int gpioPasses = 0;             // the poller clears gpioReady in this pass
    int pausesLeft = -1;            // the worker leaves at this pause (-1: never)
};

Script script;
std::vector<std::string> trace;
size_t waitsUsed = 0;
int gpioPassesDone = 0;

void LeaveWorker() { pthread_exit(nullptr); }

void* RunWorker(void*) {
    TavrionThread();
    return nullptr;
}

// Runs the loop until the script ends it and returns what it logged.
std::string RunLoop(Script s) {
    script = std::move(s);
    trace.clear();
    waitsUsed = 0;
    gpioPassesDone = 0;
    testing::internal::CaptureStderr();
    pthread_t worker;
    EXPECT_EQ(pthread_create(&worker, nullptr, RunWorker, nullptr), 0);
    pthread_join(worker, nullptr);
    return testing::internal::GetCapturedStderr();
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

}  // namespace

void ResetAdcScanner() { trace.push_back("reset"); }
void SampleAdcGroup(int g) { trace.push_back("sample " + std::to_string(g)); }

void DoGpioPowerOpt() {
    trace.push_back("gpio");
    if (++gpioPassesDone >= script.gpioPasses) gpioReady = 0;
}

extern "C" int property_get(const char* key, char* value, const char* defaultValue) {
    trace.push_back(std::string("property ") + key + " " + defaultValue);
    snprintf(value, 92, "%s", defaultValue);
    return 0;
}

extern "C" int epoll_wait(int fd, epoll_event*, int maxEvents, int timeout) {
    if (waitsUsed == script.waits.size()) LeaveWorker();
    trace.push_back("wait " + std::to_string(fd) + " " + std::to_string(maxEvents) + " " +
                    std::to_string(timeout));
    WaitResult next = script.waits[waitsUsed++];
    errno = next.error;
    return next.result;
}

extern "C" int usleep(useconds_t microseconds) {
    trace.push_back("pause " + std::to_string(microseconds));
    if (script.pausesLeft >= 0 && script.pausesLeft-- == 0) LeaveWorker();
    return 0;
}

class WorkerLoopTest : public ::testing::Test {
protected:
    void SetUp() override {
        memset(keyGroups, 0, sizeof(keyGroups));
        keyGroups[0].enable = 1;
        keyGroups[2].enable = 1;
        gpioReady = 0;
        epollFd = 7;
    }
};

TEST_F(WorkerLoopTest, SamplesEnabledGroupsOnlyAfterAWakeUp) {
    struct Case {
        const char* name;
        std::vector<WaitResult> waits;
        std::vector<std::string> trace;  // after the start-up entries
        size_t timedOut;                 // "epoll_wait timed out." lines
        size_t failed;                   // "poll failed (errno=9)" lines
    };
    const Case cases[] = {
        {"one wake-up", {{1, 0}}, {"wait 7 16 -1", "sample 0", "sample 2"}, 0, 0},
        {"two wake-ups",
         {{1, 0}, {16, 0}},
         {"wait 7 16 -1", "sample 0", "sample 2", "wait 7 16 -1", "sample 0", "sample 2"},
         0,
         0},
        {"interrupted: no sampling, no message",
         {{-1, EINTR}, {1, 0}, {-1, EINTR}, {1, 0}},
         {"wait 7 16 -1", "wait 7 16 -1", "sample 0", "sample 2", "wait 7 16 -1", "wait 7 16 -1",
          "sample 0", "sample 2"},
         0,
         0},
        {"timed out: a message, no sampling",
         {{0, 0}, {0, 0}, {1, 0}},
         {"wait 7 16 -1", "wait 7 16 -1", "wait 7 16 -1", "sample 0", "sample 2"},
         2,
         0},
        {"failed: a message and a pause, no sampling",
         {{-1, EBADF}, {2, 0}, {-1, EBADF}},
         {"wait 7 16 -1", "pause 100000", "wait 7 16 -1", "sample 0", "sample 2", "wait 7 16 -1",
          "pause 100000"},
         0,
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        std::string log = RunLoop(Script{c.waits, 0, -1});
        std::vector<std::string> expected = {"reset",
                                             "property persist.prop.adchangelongpresstime false"};
        expected.insert(expected.end(), c.trace.begin(), c.trace.end());
        EXPECT_EQ(trace, expected);
        EXPECT_EQ(Count(log, "D/tavrion: TavrionThread enter!\n"), 1u) << log;
        EXPECT_EQ(Count(log, "epoll_wait timed out."), c.timedOut) << log;
        EXPECT_EQ(Count(log, "poll failed (errno=9)\n"), c.failed) << log;
    }
}

TEST_F(WorkerLoopTest, ReadyGpioKeysArePolledWithAPauseBetweenPasses) {
    struct Case {
        int passes;
        std::vector<std::string> polling;
    };
    const Case cases[] = {
        {1, {"gpio"}},
        {3, {"gpio", "pause 10000", "gpio", "pause 10000", "gpio"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.passes);
        SetUp();
        gpioReady = 1;
        RunLoop(Script{{{1, 0}}, c.passes, -1});
        std::vector<std::string> expected = {"reset",
                                             "property persist.prop.adchangelongpresstime false"};
        expected.insert(expected.end(), c.polling.begin(), c.polling.end());
        expected.insert(expected.end(), {"wait 7 16 -1", "sample 0", "sample 2"});
        EXPECT_EQ(trace, expected);
    }
}

TEST_F(WorkerLoopTest, GpioKeysThatStayReadyKeepTheAdcGroupsUnsampled) {
    gpioReady = 1;
    RunLoop(Script{{{1, 0}, {1, 0}}, 1000000, 50});
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "gpio"), 51);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "pause 10000"), 51);
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "sample 0"), 0);
}
