#include "keypad_device.h"

#include <errno.h>
#include <linux/input.h>
#include <linux/uinput.h>
#include <stdio.h>
#include <string.h>

#include "main/uinput_device.h"
#include "main/uinput_io.h"

// The stand-in driver: it takes the description and the requested codes as the kernel does.
static constexpr int kDriverFd = 3;
static uinput_user_dev description;
static bool described;
static std::vector<bool> requested;

int UinputOpen(const char*, int) { return kDriverFd; }

int UinputIoctl(int, unsigned long request, int argument) {
    if (request == UI_SET_KEYBIT) {
        if (argument < 0 || argument > KEY_MAX) {
            errno = EINVAL;
            return -1;
        }
        requested[static_cast<size_t>(argument)] = true;
    }
    return 0;
}

ssize_t UinputWrite(int, const void* data, size_t size) {
    if (size == sizeof description) {
        memcpy(&description, data, size);
        described = true;
    }
    return static_cast<ssize_t>(size);
}

int ReadKeypadDevice(KeypadDevice& device) {
    memset(&description, 0, sizeof description);
    described = false;
    requested.assign(KEY_MAX + 1, false);
    const int result = SetupUinputDevice(kKeypadCodeRange);
    uinputFd = -1;
    if (result < 0 || !described) return -1;
    device.name.assign(description.name, strnlen(description.name, sizeof description.name));
    device.bus = description.id.bustype;
    device.vendor = description.id.vendor;
    device.product = description.id.product;
    device.version = description.id.version;
    device.announced = requested;
    return 0;
}

bool Announces(const KeypadDevice& device, uint32_t code) {
    return code < device.announced.size() && device.announced[code];
}

std::vector<std::string> KeyLayoutNames(const KeypadDevice& device) {
    std::vector<std::string> names;
    char text[64];
    if (device.vendor != 0 || device.product != 0) {
        if (device.version != 0) {
            snprintf(text, sizeof text, "Vendor_%04x_Product_%04x_Version_%04x.kl", device.vendor,
                     device.product, device.version);
            names.push_back(text);
        }
        snprintf(text, sizeof text, "Vendor_%04x_Product_%04x.kl", device.vendor, device.product);
        names.push_back(text);
    }
    if (!device.name.empty()) {
        std::string name = device.name;
        for (char& c : name) {
            const bool kept = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                              (c >= '0' && c <= '9') || c == '-' || c == '_';
            if (!kept) c = '_';
        }
        names.push_back(name + ".kl");
    }
    names.push_back("Generic.kl");
    return names;
}
