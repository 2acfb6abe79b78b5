// Reporting key events on the "Hi Keypad" virtual keyboard (uinput_setup.cpp creates it).
#include "main/uinput_device.h"

#include <linux/input.h>
#include <stdio.h>
#include <sys/time.h>

#include "main/tavrion_log.h"
#include "main/uinput_io.h"

// The driver reads these records byte for byte, so their layout is the kernel's, not ours.
static_assert(sizeof(long) != 4 || sizeof(input_event) == 16,
              "a 32-bit build writes 16-byte event records");

static input_event StampedEvent(uint16_t type, uint16_t code, int32_t value) {
    input_event event = {};
    timeval now = {};
    gettimeofday(&now, nullptr);
    event.input_event_sec = now.tv_sec;
    event.input_event_usec = now.tv_usec;
    event.type = type;
    event.code = code;
    event.value = value;
    return event;
}

void WriteEventToDevice(unsigned int code, unsigned int value) {
    TLOGD("WriteEventToDevice = %d.\n", code);
    printf("Send_KeyCode = 0x%x\n", code);

    input_event key =
        StampedEvent(EV_KEY, static_cast<uint16_t>(code & 0xFFFF), static_cast<int32_t>(value));
    if (UinputWrite(uinputFd, &key, sizeof(key)) < 0) {
        TLOGD("write failed");
    }
    input_event sync = StampedEvent(EV_SYN, SYN_REPORT, 0);
    if (UinputWrite(uinputFd, &sync, sizeof(sync)) != static_cast<ssize_t>(sizeof(sync))) {
        TLOGD("First write returned fail.\n");
    }
}
