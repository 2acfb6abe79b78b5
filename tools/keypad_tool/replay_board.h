// The board that keypad-tool runs the daemon on: every chip SDK call, the system properties, the
// log and the customisation lookup answered from a few variables in memory. A replay sets them
// from its trace; nothing touches $SIM_BOARD_DIR, and a sample costs no file reads.
#pragma once

#include <stdint.h>

#include <string>

#include "sdk/hi_sdk_api.h"

// An LSADC channel id is 8 bits; a GPIO line is group * 8 + pin with 8-bit group and pin.
constexpr uint32_t kBoardChannels = 256;
constexpr uint32_t kBoardGpioLines = 255 * 8 + 255 + 1;
// Distinct system properties that the board holds.
constexpr int kBoardProperties = 32;
// Room for a property name and its end. Names are not bound to the old 32-byte limit of
// PROPERTY_KEY_MAX: the daemon's own are up to 48 characters long.
constexpr int kBoardPropertyName = 128;
// The result of a channel read that the trace made fail.
constexpr HI_S32 kBoardReadFault = static_cast<HI_S32>(0x80470001u);

// Every channel idle (255) and readable, every line high, key lock 0, no property set, the
// controller, wake-up and device-information records zero, no layout file.
void ResetReplayBoard();
// The layout that the customisation lookup answers with for key_pad.xml: a private copy of text
// (the bytes the tool read once), which the daemon's reader opens as it opens a file on the set.
// 0, or -1 after saying on standard error why no copy can be made.
int SetBoardLayoutText(const std::string& text);
void SetBoardReading(uint32_t channel, uint32_t reading);
// Reads of the channel fail until its next reading is set.
void SetBoardReadFails(uint32_t channel);
void SetBoardGpioLevel(uint32_t line, int level);
void SetBoardKeyLock(int32_t value);
// 0, or -1 when the name or value is too long for the platform or kBoardProperties other
// names are set already. An empty value unsets the property, as on the platform.
int SetBoardProperty(const char* name, const char* value);

// What start-up applied: the controller's channel mask and the two wake-up records.
uint32_t BoardChannelMask();
const HI_UNF_PMOC_WAKEUP_CONDITION_S& BoardWakeCondition();
const HI_UNF_PDM_LSADC_POWER_KEY_S& BoardPowerKeyRecord();
