// Setting up the "Hi Keypad" virtual keyboard: the codes it announces and who it says it is.
// Apart from reporting events, so that keypad-tool can run this very set-up against a stand-in
// driver and learn the device's identity and codes from it.
#include <fcntl.h>
#include <linux/input.h>
#include <linux/uinput.h>

#include "key_pars/key_pars.h"
#include "main/tavrion_log.h"
#include "main/uinput_device.h"
#include "main/uinput_io.h"
#include "sdk/hi_sdk_api.h"

// The driver reads this record byte for byte, so its layout is the kernel's, not ours.
static_assert(sizeof(uinput_user_dev) == 1116, "the device description is 1116 bytes");

// Key-lock code: the scanner reports it in place of a key's own code, so it is always announced.
static const int kKeyLockCode = 744;
static const int kMaxNameLength = UINPUT_MAX_NAME_SIZE - 1;
static const uint16_t kVendor = 0x046D;
static const uint16_t kProduct = 0x0002;

int uinputFd = -1;

// Codes below the range's end are already covered by the range.
static void AnnounceConfiguredCodes(uint32_t rangeEnd) {
    for (int g = 0; g < kAdcGroupCount; ++g) {
        const KeyArry& group = keyGroups[g];
        if (group.enable == 0 || group.KeyLevelNum < 1 || group.KeyLevelNum > kKeySlots) {
            continue;
        }
        for (int j = 0; j < group.KeyLevelNum; ++j) {
            if (group.KeyCode[j] >= rangeEnd) {
                UinputIoctl(uinputFd, UI_SET_KEYBIT, static_cast<int>(group.KeyCode[j]));
            }
            if (group.LongKeyCode[j] >= rangeEnd) {
                UinputIoctl(uinputFd, UI_SET_KEYBIT, static_cast<int>(group.LongKeyCode[j]));
            }
        }
    }
}

int SetupUinputDevice(const StKeypadDeviceData& data) {
    uinput_user_dev description = {};

    uinputFd = UinputOpen("/dev/uinput", O_WRONLY | O_NONBLOCK);
    if (uinputFd < 0) {
        TLOGD("Unable to open /dev/uinput\n");
        return -1;
    }
    if (memset_s(&description, sizeof(description), 0, sizeof(description)) != 0) {
        TLOGD("SetupUinputDevice memset_s failed !");
    }
    strncpy_s(description.name, sizeof(description.name), deviceName.c_str(), kMaxNameLength);
    description.id.bustype = BUS_VIRTUAL;
    description.id.vendor = kVendor;
    description.id.product = kProduct;

    if (UinputIoctl(uinputFd, UI_SET_EVBIT, EV_KEY) < 0) {
        TLOGD("ioctl failed");
    }
    // A refused code ends the range without a message; the rest of the set-up still runs.
    for (int code = data.keyCodeStart; code < data.keyCodeEnd; ++code) {
        if (UinputIoctl(uinputFd, UI_SET_KEYBIT, code) < 0) {
            break;
        }
    }
    UinputIoctl(uinputFd, UI_SET_KEYBIT, kKeyLockCode);
    AnnounceConfiguredCodes(static_cast<uint32_t>(data.keyCodeEnd));

    if (UinputWrite(uinputFd, &description, sizeof(description)) !=
        static_cast<ssize_t>(sizeof(description))) {
        TLOGD("First write returned fail.\n");
        return -1;
    }
    if (UinputIoctl(uinputFd, UI_DEV_CREATE, 0) != 0) {
        TLOGD("ioctl UI_DEV_CREATE returned fail.\n");
        return -1;
    }
    return 1;
}
