// The front-panel key layout read from key_pad.xml: up to three ADC key groups and one GPIO
// key group, and the per-key press state that the scanner keeps inside each ADC group.
#pragma once

#include <stdint.h>

#include <memory>
#include <string>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}  // namespace tinyxml2

constexpr int kAdcGroupCount = 3;
constexpr int kKeySlots = 8;

// Press state of one ADC key.
struct KeyPressState {
    // Monotonic milliseconds of the first confirmed sample of the current press (or of the last
    // repeat); 0 means that no press is being timed.
    uint64_t pressTime;
    uint8_t longPressSent;  // the long-press code has been sent for the current press
    uint8_t Repeat;         // from the file: the long-press code repeats while held
};

// One ADC key group: the keys of one LSADC channel.
struct KeyArry {
    uint32_t enable;
    uint8_t channel_id;
    uint8_t KeyLevelNum;
    uint8_t KeyThreshold[kKeySlots];
    uint32_t KeyCode[kKeySlots];
    uint32_t LongKeyCode[kKeySlots];
    uint32_t LongKeyDuration[kKeySlots];
    KeyPressState keyState[kKeySlots];
};

// The GPIO key group: each key on its own line (group * 8 + pin).
struct GpioKeyArry {
    uint32_t enable;
    uint8_t KeyLevelNum;
    uint8_t GroupNum[kKeySlots];
    uint8_t PinNum[kKeySlots];
    uint32_t KeyCode[kKeySlots];
};

extern KeyArry keyGroups[kAdcGroupCount];
extern GpioKeyArry gpioKeys;
extern const std::string keyPadPath;
extern std::unique_ptr<tinyxml2::XMLDocument> keyPadDocument;

tinyxml2::XMLElement* ReadXml(const char& path);
void SetKeyArray(const tinyxml2::XMLElement& element, int& keyIndex, KeyArry& group);
void ParsKey(tinyxml2::XMLElement& groupElement, KeyArry& group);
void GetBoardKeyPad(KeyArry* groups, int count);
void SetGpio(const tinyxml2::XMLElement& element, int& keyIndex, GpioKeyArry& gpio);
void GetGpioKeyPad(GpioKeyArry& gpio);
