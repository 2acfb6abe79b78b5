// The ADC key scanner: one sample of an ADC key group at a time, with its debounce, release
// step, immediate and long-press paths, and the key-lock mapping.
#pragma once

#include <stdint.h>

extern int32_t pdmKeyLock;
extern uint32_t currentKey;
extern uint64_t currentKeyTime;

int MapKeyValue(int group, unsigned int reading, int& keyIndex);
// Clears the scanner's private state (run counters, last codes, key slot), as at thread start.
void ResetAdcScanner();
// One sample of group g.
void SampleAdcGroup(int g);
// Every sampled group confirmed idle (no run of a key under way, confirmed or not), no press going
// on, no long-press key timed and no immediate key down: nothing more will be sent while the
// panel stays idle.
bool AdcScannerSettled();
