#include "key_names.h"

#include <libevdev/libevdev.h>

static_assert(kKernelKeyMax == KEY_MAX, "the kernel's highest key code");

const char* KeyName(uint32_t code) {
    return code <= kKernelKeyMax ? libevdev_event_code_get_name(EV_KEY, code) : nullptr;
}

std::string KeyLabel(uint32_t code) {
    const char* name = KeyName(code);
    return name ? std::string(name) + " (" + std::to_string(code) + ")"
                : "code " + std::to_string(code);
}
