#include <sys/epoll.h>
#include <unistd.h>

#include <vector>

#include "gtest/gtest.h"
#include "sdk/hi_sdk_api.h"
#include "temp_board.h"

namespace {

// Waits at most boundMs for the descriptor to become readable. The bound only keeps a broken
// board from hanging the test; no test depends on how long the wait takes.
bool ReadableWithin(int fd, int boundMs) {
    int epollFd = epoll_create1(EPOLL_CLOEXEC);
    struct epoll_event event = {};
    event.events = EPOLLIN;
    epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &event);
    struct epoll_event ready = {};
    int count = epoll_wait(epollFd, &ready, 1, boundMs);
    close(epollFd);
    return count == 1;
}

void StoreConfig(const TempBoard& board, uint32_t mask) {
    std::vector<uint8_t> bytes(40, 0);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(mask >> (8 * i));
    board.WriteBytes("lsadc/config", bytes);
}

hiUNF_LSADC_Config_S ConfigWithMask(uint32_t mask) {
    hiUNF_LSADC_Config_S config = {};
    config.words[0] = mask;
    config.words[9] = 600;
    return config;
}

TEST(LsadcDescriptor, ReadableEachPeriodOnceTheStoredConfigEnablesAChannel) {
    TempBoard board;
    board.Write("lsadc/period_ms", "300");
    StoreConfig(board, 0x4);
    int fd = HI_UNF_LSADC_Init();
    ASSERT_GE(fd, 0);
    for (int period = 0; period < 2; ++period) {
        ASSERT_TRUE(ReadableWithin(fd, 5000));
        HI_U32 value = 0;
        EXPECT_EQ(0, HI_UNF_LSADC_GetValue(2, &value));
        EXPECT_FALSE(ReadableWithin(fd, 0)) << "reading a channel acknowledges the conversion";
    }
    close(fd);
}

TEST(LsadcDescriptor, QuietWithoutAnEnabledChannelAndStartsOnSetConfig) {
    TempBoard board;
    board.Write("lsadc/period_ms", "1");
    int fd = HI_UNF_LSADC_Init();
    ASSERT_GE(fd, 0);
    EXPECT_FALSE(ReadableWithin(fd, 50));

    hiUNF_LSADC_Config_S config = ConfigWithMask(0x1);
    EXPECT_EQ(0, HI_UNF_LSADC_SetConfig(&config));
    EXPECT_TRUE(ReadableWithin(fd, 5000));

    config = ConfigWithMask(0);
    EXPECT_EQ(0, HI_UNF_LSADC_SetConfig(&config));
    HI_U32 value = 0;
    EXPECT_EQ(0, HI_UNF_LSADC_GetValue(0, &value));
    EXPECT_FALSE(ReadableWithin(fd, 50)) << "switching every channel off stops conversions";
    close(fd);
}

TEST(LsadcDescriptor, ConfigIsStoredAsFortyBytesAndReadBackAfresh) {
    TempBoard board;
    hiUNF_LSADC_Config_S read = ConfigWithMask(0xFF);
    EXPECT_EQ(0, HI_UNF_LSADC_GetConfig(&read));
    EXPECT_EQ(0u, read.words[0]) << "no stored configuration reads as zeros";
    EXPECT_EQ(0u, read.words[9]);

    hiUNF_LSADC_Config_S written = ConfigWithMask(0x105);
    EXPECT_EQ(0, HI_UNF_LSADC_SetConfig(&written));
    std::vector<uint8_t> bytes = board.ReadBytes("lsadc/config");
    ASSERT_EQ(40u, bytes.size());
    EXPECT_EQ((std::vector<uint8_t>{5, 1, 0, 0}), std::vector<uint8_t>(&bytes[0], &bytes[4]));
    EXPECT_EQ((std::vector<uint8_t>{0x58, 2, 0, 0}), std::vector<uint8_t>(&bytes[36], &bytes[40]));

    StoreConfig(board, 0x30);
    EXPECT_EQ(0, HI_UNF_LSADC_GetConfig(&read));
    EXPECT_EQ(0x30u, read.words[0]);
}

}  // namespace
