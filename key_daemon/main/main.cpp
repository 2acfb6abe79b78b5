// The key daemon's entry point: brings the LSADC driver, the key layout, the virtual keyboard,
// the power-key wake-up, the GPIO keys and the epoll instance up in a fixed order, then hands
// all further work to the worker thread.
#include <errno.h>
#include <string.h>
#include <sys/epoll.h>

#include <memory>

#include "main/gpio_keys.h"
#include "main/lsadc_setup.h"
#include "main/tavrion_log.h"
#include "main/tavrion_thread.h"
#include "main/uinput_device.h"
#include "sdk/hi_wrappers.h"

static const uint32_t kPowerKeyValueCount = 8;

int main() {
    int lsadcFd = HiLsadcInit();
    if (lsadcFd < 0) {
        return lsadcFd;
    }
    InitLSADCConfig();

    std::unique_ptr<StKeypadDeviceData> deviceData(new StKeypadDeviceData(kKeypadCodeRange));
    if (SetupUinputDevice(*deviceData) < 0) {
        TLOGD("Unable to find uInput device\n");
        return -1;
    }

    uint8_t powerKeyValues[kPowerKeyValueCount];
    memset(powerKeyValues, 0, sizeof(powerKeyValues));
    if (GetKeyPadPowerValue(powerKeyValues, kPowerKeyValueCount) != 0) {
        HiLsadcPowerKeySet(powerKeyValues, lsadcChannelMask);
    }

    GpioPowerInit();

    epollFd = epoll_create1(EPOLL_CLOEXEC);
    if (epollFd < 0) {
        TLOGD("Could not create epoll instance: %s", strerror(errno));
        return epollFd;
    }
    epoll_event event;
    memset(&event, 0, sizeof(event));
    event.events = EPOLLIN;
    event.data.fd = lsadcFd;
    if (epoll_ctl(epollFd, EPOLL_CTL_ADD, lsadcFd, &event) != 0) {
        TLOGD("Could not add /dev/soc_lsadc to epoll instance.  errno=%d", errno);
        return -1;
    }

    // Without the worker no key would ever be reported, so a daemon that cannot start it says
    // so and stops rather than sit idle.
    if (ThreadProcess() < 0) {
        TLOGD("Could not create worker thread: %s", strerror(errno));
        return -1;
    }
    return 0;
}
