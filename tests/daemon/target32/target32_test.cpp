// What the daemon hands the kernel, checked byte by byte at the offsets the kernel reads on this
// build's ABI, and the clock arithmetic that a 32-bit time_t could break. On the 32-bit ARM build
// (run under qemu-arm) `long` and `time_t` are 32 bits wide, as on the set; the same checks run
// on a 64-bit host against that host's layout.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <sys/time.h>
#include <time.h>
#include <unistd.h>

#include <deque>
#include <string>
#include <vector>

#include "main/daemon_clock.h"
#include "main/uinput_device.h"
#include "main/uinput_io.h"
#include "sdk/hi_sdk_api.h"

std::string deviceName = "Hi Keypad";

namespace {

const bool kIlp32 = sizeof(long) == 4;

// Stand-in driver: the descriptor is a temporary file, so what reaches it is exactly what the
// daemon wrote; ioctls succeed.
FILE* g_driverFile = nullptr;
int g_openFlags = -1;

// Clock values handed out by the wrapped system clocks while a test has queued some.
std::deque<timeval> g_wallTimes;
std::deque<timespec> g_monotonicTimes;
clockid_t g_clockAsked = -1;

std::vector<uint8_t> DriverBytes() {
    std::vector<uint8_t> bytes;
    fflush(g_driverFile);
    off_t size = lseek(fileno(g_driverFile), 0, SEEK_END);
    bytes.resize(static_cast<size_t>(size));
    if (size > 0) {
        EXPECT_EQ(pread(fileno(g_driverFile), bytes.data(), bytes.size(), 0), size);
    }
    return bytes;
}

uint64_t LittleEndian(const std::vector<uint8_t>& bytes, size_t offset, size_t width) {
    uint64_t value = 0;
    for (size_t i = width; i-- > 0;) {
        value = (value << 8) | bytes.at(offset + i);
    }
    return value;
}

}  // namespace

int UinputOpen(const char*, int flags) {
    g_openFlags = flags;
    return fileno(g_driverFile);
}

int UinputIoctl(int, unsigned long, int) { return 0; }

ssize_t UinputWrite(int fd, const void* data, size_t size) { return write(fd, data, size); }

extern "C" {
int __real_gettimeofday(struct timeval* tv, void* tz);
int __real_clock_gettime(clockid_t clock, struct timespec* ts);

int __wrap_gettimeofday(struct timeval* tv, void* tz) {
    if (g_wallTimes.empty()) return __real_gettimeofday(tv, tz);
    *tv = g_wallTimes.front();
    g_wallTimes.pop_front();
    return 0;
}

int __wrap_clock_gettime(clockid_t clock, struct timespec* ts) {
    if (g_monotonicTimes.empty()) return __real_clock_gettime(clock, ts);
    g_clockAsked = clock;
    *ts = g_monotonicTimes.front();
    g_monotonicTimes.pop_front();
    return 0;
}
}

class Target32Test : public ::testing::Test {
protected:
    void SetUp() override {
        g_driverFile = tmpfile();
        ASSERT_NE(g_driverFile, nullptr);
        g_wallTimes.clear();
        g_monotonicTimes.clear();
        g_clockAsked = -1;
    }
    void TearDown() override {
        fclose(g_driverFile);
        g_driverFile = nullptr;
    }
};

// The set's ABI: 32-bit long, pointers and time_t (so 16-byte events); the chip records and the
// device description are the same size on every ABI and must stay so.
TEST_F(Target32Test, RecordSizesOfTheAbi) {
    input_event event = {};
    struct Case {
        const char* what;
        size_t actual;
        size_t ilp32;
        size_t lp64;
    } const cases[] = {
        {"long", sizeof(long), 4, 8},
        {"pointer", sizeof(void*), 4, 8},
        {"time_t", sizeof(time_t), 4, 8},
        {"input_event seconds", sizeof(event.input_event_sec), 4, 8},
        {"input_event microseconds", sizeof(event.input_event_usec), 4, 8},
        {"input_event", sizeof(input_event), 16, 24},
        {"uinput_user_dev", sizeof(uinput_user_dev), 1116, 1116},
        {"HI_BOOL", sizeof(HI_BOOL), 4, 4},
        {"LSADC configuration", sizeof(hiUNF_LSADC_Config_S), 40, 40},
        {"PMOC wake-up condition", sizeof(HI_UNF_PMOC_WAKEUP_CONDITION_S), 68, 68},
        {"PDM power-key record", sizeof(HI_UNF_PDM_LSADC_POWER_KEY_S), 132, 132},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.actual, kIlp32 ? c.ilp32 : c.lp64) << c.what;
    }
}

TEST_F(Target32Test, DeviceDescriptionBytes) {
    ASSERT_EQ(SetupUinputDevice(StKeypadDeviceData{0, 255}), 1);
    EXPECT_EQ(g_openFlags, 0x801);  // O_WRONLY | O_NONBLOCK as the set's kernel spells them

    std::vector<uint8_t> bytes = DriverBytes();
    ASSERT_EQ(bytes.size(), 1116u);
    std::vector<uint8_t> name(bytes.begin(), bytes.begin() + 80);
    std::vector<uint8_t> expectedName(80, 0);
    memcpy(expectedName.data(), "Hi Keypad", 9);
    EXPECT_EQ(name, expectedName);
    EXPECT_EQ(LittleEndian(bytes, 80, 2), 0x0006u);  // bustype
    EXPECT_EQ(LittleEndian(bytes, 82, 2), 0x046Du);  // vendor
    EXPECT_EQ(LittleEndian(bytes, 84, 2), 0x0002u);  // product
    EXPECT_EQ(LittleEndian(bytes, 86, 2), 0u);       // version
    // ff_effects_max and the four 64-entry axis arrays stay zero.
    for (size_t i = 88; i < bytes.size(); ++i) {
        ASSERT_EQ(bytes[i], 0) << "byte " << i;
    }
}

// A key record then a sync record, each stamped by its own gettimeofday call, laid out as
// seconds, microseconds (one `long` each), 16-bit type, 16-bit code and 32-bit value.
TEST_F(Target32Test, EventRecordBytes) {
    struct Case {
        unsigned int code;
        unsigned int value;
        long seconds;
        long microseconds;
        uint64_t writtenCode;
    } const cases[] = {
        {116, 1, 1700000000, 123456, 116},
        {116, 0, 0, 0, 116},
        // The last second a signed 32-bit time_t holds reaches the record whole.
        {744, 1, 0x7FFFFFFF, 999998, 744},
        {0x102E8, 0, 86400, 500000, 0x02E8},
    };
    const size_t word = sizeof(long);
    const size_t recordSize = 2 * word + 8;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        ASSERT_EQ(ftruncate(fileno(g_driverFile), 0), 0);
        ASSERT_EQ(lseek(fileno(g_driverFile), 0, SEEK_SET), 0);
        uinputFd = fileno(g_driverFile);
        g_wallTimes = {{c.seconds, c.microseconds}, {c.seconds, c.microseconds + 1}};

        WriteEventToDevice(c.code, c.value);

        std::vector<uint8_t> bytes = DriverBytes();
        ASSERT_EQ(bytes.size(), 2 * recordSize);
        EXPECT_TRUE(g_wallTimes.empty()) << "each record takes its own time stamp";
        const struct {
            uint64_t microseconds, type, code, value;
        } expected[] = {
            {static_cast<uint64_t>(c.microseconds), EV_KEY, c.writtenCode, c.value},
            {static_cast<uint64_t>(c.microseconds) + 1, EV_SYN, SYN_REPORT, 0},
        };
        for (size_t r = 0; r < 2; ++r) {
            const size_t at = r * recordSize;
            EXPECT_EQ(LittleEndian(bytes, at, word), static_cast<uint64_t>(c.seconds)) << r;
            EXPECT_EQ(LittleEndian(bytes, at + word, word), expected[r].microseconds) << r;
            EXPECT_EQ(LittleEndian(bytes, at + 2 * word, 2), expected[r].type) << r;
            EXPECT_EQ(LittleEndian(bytes, at + 2 * word + 2, 2), expected[r].code) << r;
            EXPECT_EQ(LittleEndian(bytes, at + 2 * word + 4, 4), expected[r].value) << r;
        }
    }
}

// Key hold times are differences of these stamps; with a 32-bit time_t the seconds must be
// widened before they are scaled, or the stamps wrap after 24.8 days of uptime (2^31 ms) and
// again after 49.7 days (2^32 ms), and a key held across the wrap reads as held for weeks.
TEST_F(Target32Test, MonotonicMillisecondsPastThirtyTwoBits) {
    struct Case {
        time_t seconds;
        long nanoseconds;
        uint64_t expected;
    } const cases[] = {
        {0, 0, 1},
        {1, 999999999, 2000},
        {2147483, 647000000, 2147483647 + 1ull},
        {2147483, 648000000, 2147483648ull + 1},
        {4294967, 296000000, 4294967296ull + 1},
        {0x7FFFFFFF, 999999999, 2147483647999ull + 1},
    };
    for (const Case& c : cases) {
        g_monotonicTimes = {{c.seconds, c.nanoseconds}};
        EXPECT_EQ(MonotonicMs(), c.expected) << c.seconds << " s " << c.nanoseconds << " ns";
        EXPECT_EQ(g_clockAsked, CLOCK_MONOTONIC);
    }
}
