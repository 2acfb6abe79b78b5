// The virtual keyboard's name: Android finds the device's key layout file by it (Hi_Keypad.kl).
#include <string>

#include "main/uinput_device.h"

std::string deviceName = "Hi Keypad";
