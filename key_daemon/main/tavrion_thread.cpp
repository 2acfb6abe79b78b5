#include "main/tavrion_thread.h"

#include <cutils/properties.h>
#include <errno.h>
#include <pthread.h>
#include <sys/epoll.h>
#include <unistd.h>

#include "key_pars/key_pars.h"
#include "main/adc_scanner.h"
#include "main/gpio_keys.h"
#include "main/tavrion_log.h"

int epollFd = -1;

// GPIO lines are polled, not signalled: the pause keeps the poller from taking a whole core
// while still giving several passes within a key press.
static const useconds_t kGpioPassPauseUs = kGpioPassPauseMs * 1000;
static const useconds_t kFailedWaitPauseUs = 100 * 1000;
static const int kMaxWaitEvents = 16;

static void PollGpioKeys() {
    DoGpioPowerOpt();
    while (gpioReady != 0) {
        usleep(kGpioPassPauseUs);
        DoGpioPowerOpt();
    }
}

void SampleEnabledGroups() {
    for (int g = 0; g < kAdcGroupCount; ++g) {
        if (keyGroups[g].enable != 0) {
            SampleAdcGroup(g);
        }
    }
}

void TavrionThread() {
    TLOGD("TavrionThread enter!\n");
    ResetAdcScanner();

    // Read for the record only: long presses are timed by each key's own duration.
    char longPressTime[PROPERTY_VALUE_MAX] = {};
    property_get("persist.prop.adchangelongpresstime", longPressTime, "false");

    epoll_event events[kMaxWaitEvents];
    int n = 0;
    for (;;) {
        if (gpioReady == 1) {
            PollGpioKeys();
        }
        // Which events woke the wait does not matter: every wake-up samples every group.
        if (n >= 1) {
            SampleEnabledGroups();
        }
        n = epoll_wait(epollFd, events, kMaxWaitEvents, -1);
        if (n == 0) {
            TLOGD("epoll_wait timed out.\n");
        } else if (n < 0 && errno != EINTR) {
            TLOGD("poll failed (errno=%d)\n", errno);
            usleep(kFailedWaitPauseUs);
        }
    }
}

static void* WorkerMain(void*) {
    TavrionThread();
    return nullptr;
}

int ThreadProcess() {
    pthread_t worker;
    int result = pthread_create(&worker, nullptr, WorkerMain, nullptr);
    if (result != 0) {
        errno = result;
        return -1;
    }
    pthread_join(worker, nullptr);
    return 0;
}
