// The "Hi Keypad" virtual keyboard on the kernel's uinput driver.
#pragma once

#include <stdint.h>

#include <string>

// The contiguous range of key codes that the device announces; configured codes at or above
// keyCodeEnd are announced one by one.
struct StKeypadDeviceData {
    int32_t keyCodeStart;
    int32_t keyCodeEnd;  // exclusive
};

// The range that the daemon's device announces: codes 0 to 254.
constexpr StKeypadDeviceData kKeypadCodeRange = {0, 255};

extern int uinputFd;
extern std::string deviceName;

// 1 when the device exists, -1 on any failure.
int SetupUinputDevice(const StKeypadDeviceData& data);
// One key event (value 1 press, 0 release) followed by its own sync event.
void WriteEventToDevice(unsigned int code, unsigned int value);
