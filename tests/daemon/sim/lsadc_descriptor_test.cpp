#include <sys/epoll.h>
#include <unistd.h>

#include "gtest/gtest.h"
#include "sdk/hi_sdk_api.h"
#include "temp_board.h"

namespace {

// The bound only keeps a broken board from hanging the test; nothing depends on its length.
bool ReadableWithin(int fd, int boundMs) {
    int epollFd = epoll_create1(EPOLL_CLOEXEC);
    struct epoll_event event = {};
    event.events = EPOLLIN;
    epoll_ctl(epollFd, EPOLL_CTL_ADD, fd, &event);
    int count = epoll_wait(epollFd, &event, 1, boundMs);
    close(epollFd);
    return count == 1;
}

TEST(LsadcDescriptor, ReadableOncePerPeriodWhileAChannelIsOn) {
    TempBoard board;
    board.Write("lsadc/period_ms", "300");
    board.WriteBytes("lsadc/config", {4, 0, 0, 0});
    int fd = HI_UNF_LSADC_Init();
    ASSERT_GE(fd, 0);
    HI_U32 value = 0;
    for (int period = 0; period < 2; ++period) {
        ASSERT_TRUE(ReadableWithin(fd, 5000));
        EXPECT_EQ(0, HI_UNF_LSADC_GetValue(2, &value));
        EXPECT_FALSE(ReadableWithin(fd, 0)) << "reading a channel acknowledges the conversion";
    }
    hiUNF_LSADC_Config_S config = {};
    EXPECT_EQ(0, HI_UNF_LSADC_SetConfig(&config));
    EXPECT_EQ(std::vector<uint8_t>(40, 0), board.ReadBytes("lsadc/config"));
    EXPECT_EQ(0, HI_UNF_LSADC_GetValue(2, &value));
    board.Write("lsadc/period_ms", "1");
    EXPECT_FALSE(ReadableWithin(fd, 50)) << "no channel on, no conversion";
    config.words[0] = 1;
    EXPECT_EQ(0, HI_UNF_LSADC_SetConfig(&config));
    EXPECT_TRUE(ReadableWithin(fd, 5000));
    close(fd);
}

}  // namespace
