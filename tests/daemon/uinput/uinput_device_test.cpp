// The virtual keyboard against a stand-in driver: which requests it makes, what it writes and
// what it logs when the driver refuses.
#include "main/uinput_device.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <string.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "key_pars/key_pars.h"
#include "main/uinput_io.h"

// The layout and the name normally come from the layout reader and the start-up module.
KeyArry keyGroups[kAdcGroupCount];
std::string deviceName = "Hi Keypad";

namespace {

const int kFakeFd = 42;

// The stand-in driver: records every call and answers as the test tells it to.
struct FakeDriver {
    std::string openedPath;
    int openedFlags = 0;
    int openResult = kFakeFd;
    std::vector<std::pair<unsigned long, int>> requests;
    std::function<int(unsigned long, int)> ioctlResult = [](unsigned long, int) { return 0; };
    std::vector<std::vector<unsigned char>> writes;
    std::function<ssize_t(size_t index, size_t size)> writeResult = [](size_t, size_t size) {
        return static_cast<ssize_t>(size);
    };
};

FakeDriver driver;

std::set<int> KeyBitsRequested() {
    std::set<int> codes;
    for (const auto& request : driver.requests) {
        if (request.first == UI_SET_KEYBIT) codes.insert(request.second);
    }
    return codes;
}

input_event EventWritten(size_t index) {
    input_event event = {};
    const std::vector<unsigned char>& bytes = driver.writes.at(index);
    EXPECT_EQ(bytes.size(), sizeof(event));
    memcpy(&event, bytes.data(), std::min(bytes.size(), sizeof(event)));
    return event;
}

KeyArry Group(uint32_t enable, uint8_t levels, std::vector<uint32_t> codes,
              std::vector<uint32_t> longCodes) {
    KeyArry group = {};
    group.enable = enable;
    group.KeyLevelNum = levels;
    for (size_t j = 0; j < codes.size(); ++j) group.KeyCode[j] = codes[j];
    for (size_t j = 0; j < longCodes.size(); ++j) group.LongKeyCode[j] = longCodes[j];
    return group;
}

class UinputDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        driver = FakeDriver();
        memset(keyGroups, 0, sizeof(keyGroups));
        deviceName = "Hi Keypad";
        uinputFd = -1;
    }

    // Runs the set-up with the {0, 255} range and keeps what it logged.
    int RunSetup() {
        testing::internal::CaptureStderr();
        int result = SetupUinputDevice(StKeypadDeviceData{0, 255});
        log = testing::internal::GetCapturedStderr();
        return result;
    }

    std::string log;
};

}  // namespace

int UinputOpen(const char* path, int flags) {
    driver.openedPath = path;
    driver.openedFlags = flags;
    return driver.openResult;
}

int UinputIoctl(int fd, unsigned long request, int argument) {
    EXPECT_EQ(fd, kFakeFd);
    driver.requests.emplace_back(request, argument);
    return driver.ioctlResult(request, argument);
}

ssize_t UinputWrite(int fd, const void* data, size_t size) {
    EXPECT_EQ(fd, kFakeFd);
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    driver.writes.emplace_back(bytes, bytes + size);
    return driver.writeResult(driver.writes.size() - 1, size);
}

TEST_F(UinputDeviceTest, CreatesTheDeviceWithItsDescription) {
    ASSERT_EQ(RunSetup(), 1);
    EXPECT_EQ(uinputFd, kFakeFd);
    EXPECT_EQ(driver.openedPath, "/dev/uinput");
    EXPECT_EQ(driver.openedFlags, O_WRONLY | O_NONBLOCK);
    ASSERT_GE(driver.requests.size(), 2u);
    EXPECT_EQ(driver.requests.front(), (std::pair<unsigned long, int>(UI_SET_EVBIT, EV_KEY)));
    EXPECT_EQ(driver.requests.back(), (std::pair<unsigned long, int>(UI_DEV_CREATE, 0)));

    ASSERT_EQ(driver.writes.size(), 1u);
    ASSERT_EQ(driver.writes[0].size(), 1116u);
    uinput_user_dev expected = {};
    strcpy(expected.name, "Hi Keypad");
    expected.id.bustype = 0x06;
    expected.id.vendor = 0x046D;
    expected.id.product = 0x0002;
    EXPECT_EQ(memcmp(driver.writes[0].data(), &expected, sizeof(expected)), 0);
    EXPECT_EQ(log, "");
}

TEST_F(UinputDeviceTest, AnnouncesTheRangeTheLockCodeAndConfiguredCodesAboveIt) {
    struct Case {
        const char* name;
        KeyArry group;
        std::set<int> extra;  // codes requested beyond 0..254 and 744
    };
    const Case cases[] = {
        {"no group", KeyArry{}, {}},
        {"enabled, three keys",
         Group(1, 3, {116, 0x1A0, 0x1B0}, {255, 0, 0x1FF}),
         {255, 0x1A0, 0x1B0, 0x1FF}},
        {"slots past KeyLevelNum ignored", Group(1, 1, {0x1A0, 0x1B0}, {0, 0x1C0}), {0x1A0}},
        {"switched off", Group(0, 3, {0x1A0}, {0x1FF}), {}},
        {"KeyLevelNum 0", Group(1, 0, {0x1A0}, {0x1FF}), {}},
        {"KeyLevelNum 9", Group(1, 9, {0x1A0}, {0x1FF}), {}},
        {"eight keys", Group(1, 8, {1, 2, 3, 4, 5, 6, 7, 0x300}, {}), {0x300}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        keyGroups[2] = c.group;
        ASSERT_EQ(RunSetup(), 1);
        std::set<int> expected = c.extra;
        for (int code = 0; code < 255; ++code) expected.insert(code);
        expected.insert(744);
        EXPECT_EQ(KeyBitsRequested(), expected);
        // Each code once: codes inside the range are not requested again.
        EXPECT_EQ(driver.requests.size(), 1 + expected.size() + 1);
        // The range is requested in order, before anything else.
        for (int code = 0; code < 255; ++code) {
            EXPECT_EQ(driver.requests[1 + code].second, code);
        }
    }
}

TEST_F(UinputDeviceTest, RefusedRangeRequestEndsTheRangeOnly) {
    keyGroups[0] = Group(1, 1, {0x1A0}, {});
    driver.ioctlResult = [](unsigned long request, int code) {
        return request == UI_SET_KEYBIT && code >= 10 && code < 255 ? -1 : 0;
    };
    ASSERT_EQ(RunSetup(), 1);
    std::set<int> expected = {744, 0x1A0};
    for (int code = 0; code <= 10; ++code) expected.insert(code);
    EXPECT_EQ(KeyBitsRequested(), expected);
    EXPECT_EQ(log, "");
}

TEST_F(UinputDeviceTest, FailuresAndTheirMessages) {
    struct Case {
        const char* name;
        int openResult;
        std::function<int(unsigned long, int)> ioctlResult;
        std::function<ssize_t(size_t, size_t)> writeResult;
        int result;
        std::vector<std::string> logged;
        bool created;  // UI_DEV_CREATE was requested
    };
    auto works = [](unsigned long, int) { return 0; };
    auto whole = [](size_t, size_t size) { return static_cast<ssize_t>(size); };
    const Case cases[] = {
        {"no driver", -1, works, whole, -1, {"Unable to open /dev/uinput\n"}, false},
        {"event type refused",
         kFakeFd,
         [](unsigned long request, int) { return request == UI_SET_EVBIT ? -1 : 0; },
         whole,
         1,
         {"ioctl failed"},
         true},
        {"lock code refused",
         kFakeFd,
         [](unsigned long request, int code) {
             return request == UI_SET_KEYBIT && code == 744 ? -1 : 0;
         },
         whole,
         1,
         {},
         true},
        {"description cut short",
         kFakeFd,
         works,
         [](size_t, size_t size) { return static_cast<ssize_t>(size - 1); },
         -1,
         {"First write returned fail.\n"},
         false},
        {"description write fails",
         kFakeFd,
         works,
         [](size_t, size_t) -> ssize_t { return -1; },
         -1,
         {"First write returned fail.\n"},
         false},
        {"creation refused",
         kFakeFd,
         [](unsigned long request, int) { return request == UI_DEV_CREATE ? -1 : 0; },
         whole,
         -1,
         {"ioctl UI_DEV_CREATE returned fail.\n"},
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        driver.openResult = c.openResult;
        driver.ioctlResult = c.ioctlResult;
        driver.writeResult = c.writeResult;
        EXPECT_EQ(RunSetup(), c.result);
        EXPECT_EQ(uinputFd, c.openResult);
        size_t at = 0;
        for (const std::string& message : c.logged) {
            at = log.find(message, at);
            EXPECT_NE(at, std::string::npos) << "missing \"" << message << "\" in: " << log;
        }
        if (c.logged.empty()) {
            EXPECT_EQ(log, "");
        }
        bool created = !driver.requests.empty() && driver.requests.back().first == UI_DEV_CREATE;
        EXPECT_EQ(created, c.created);
        if (c.openResult < 0) {
            EXPECT_TRUE(driver.requests.empty());
            EXPECT_TRUE(driver.writes.empty());
        }
    }
}

TEST_F(UinputDeviceTest, LongNameIsCutTo79Characters) {
    deviceName = std::string(100, 'k');
    ASSERT_EQ(RunSetup(), 1);
    uinput_user_dev written = {};
    ASSERT_EQ(driver.writes.at(0).size(), sizeof(written));
    memcpy(&written, driver.writes[0].data(), sizeof(written));
    EXPECT_EQ(std::string(written.name), std::string(79, 'k'));
}

TEST_F(UinputDeviceTest, EachEventIsAKeyRecordAndItsOwnSyncRecord) {
    struct Case {
        unsigned int code;
        unsigned int value;
        uint16_t writtenCode;
        const char* logged;
        const char* printed;
    };
    const Case cases[] = {
        {116, 1, 116, "WriteEventToDevice = 116.\n", "Send_KeyCode = 0x74\n"},
        {116, 0, 116, "WriteEventToDevice = 116.\n", "Send_KeyCode = 0x74\n"},
        {744, 1, 744, "WriteEventToDevice = 744.\n", "Send_KeyCode = 0x2e8\n"},
        {0x12345, 1, 0x2345, "WriteEventToDevice = 74565.\n", "Send_KeyCode = 0x12345\n"},
        {0xFFFF0000, 0, 0, "WriteEventToDevice = -65536.\n", "Send_KeyCode = 0xffff0000\n"},
    };
    uinputFd = kFakeFd;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.logged);
        driver.writes.clear();
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        WriteEventToDevice(c.code, c.value);
        std::string logged = testing::internal::GetCapturedStderr();
        std::string printed = testing::internal::GetCapturedStdout();
        EXPECT_NE(logged.find(c.logged), std::string::npos) << logged;
        EXPECT_EQ(printed, c.printed);

        ASSERT_EQ(driver.writes.size(), 2u);
        // The kernel's record: 16 bytes where long is 32 bits, 24 on a 64-bit host.
        EXPECT_EQ(driver.writes[0].size(), sizeof(long) == 4 ? 16u : 24u);
        input_event key = EventWritten(0);
        input_event sync = EventWritten(1);
        EXPECT_EQ(key.type, EV_KEY);
        EXPECT_EQ(key.code, c.writtenCode);
        EXPECT_EQ(key.value, static_cast<int32_t>(c.value));
        EXPECT_NE(key.input_event_sec, 0);
        EXPECT_EQ(sync.type, EV_SYN);
        EXPECT_EQ(sync.code, SYN_REPORT);
        EXPECT_EQ(sync.value, 0);
        EXPECT_NE(sync.input_event_sec, 0);
    }
}

TEST_F(UinputDeviceTest, EventWriteFailuresAreLoggedAndTheSyncStillGoesOut) {
    struct Case {
        const char* name;
        ssize_t keyResult;
        ssize_t syncResult;
        std::vector<std::string> logged;
        std::vector<std::string> notLogged;
    };
    const ssize_t whole = sizeof(input_event);
    const Case cases[] = {
        {"both written", whole, whole, {}, {"write failed", "First write returned fail."}},
        {"key refused", -1, whole, {"write failed"}, {"First write returned fail."}},
        {"key cut short", 3, whole, {}, {"write failed", "First write returned fail."}},
        {"sync refused", whole, -1, {"First write returned fail.\n"}, {"write failed"}},
        {"sync cut short", whole, 8, {"First write returned fail.\n"}, {"write failed"}},
        {"both refused", -1, -1, {"write failed", "First write returned fail.\n"}, {}},
    };
    uinputFd = kFakeFd;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        driver.writes.clear();
        driver.writeResult = [&c](size_t index, size_t) {
            return index == 0 ? c.keyResult : c.syncResult;
        };
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        WriteEventToDevice(116, 1);
        std::string logged = testing::internal::GetCapturedStderr();
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(driver.writes.size(), 2u);
        for (const std::string& message : c.logged) {
            EXPECT_NE(logged.find(message), std::string::npos) << message << " in: " << logged;
        }
        for (const std::string& message : c.notLogged) {
            EXPECT_EQ(logged.find(message), std::string::npos) << message << " in: " << logged;
        }
    }
}
