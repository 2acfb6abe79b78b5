// The key layouts that the daemon benchmarks run on.
#pragma once

// Eight keys on one ladder in ADC group 0 on channel: six immediate keys and two long-press keys
// at the top; the scanner's state is cleared as at thread start.
void SetEightKeyGroup(unsigned int channel);
// A reading inside key k's window of that group.
unsigned int ReadingOfKey(int k);
// Eight GPIO keys on lines 16 to 23 (group 2, pins 0 to 7).
void SetEightGpioKeys();
// The line of GPIO key n.
unsigned int GpioLineOfKey(int n);
