// The recorder shows which key a reading gives with the scanner's own matching, and that module
// also holds the code that writes key events. The recorder never sends a key: its keyboard
// drops every event, and no uinput device is ever opened.
#include "main/uinput_device.h"

void WriteEventToDevice(unsigned int, unsigned int) {}
