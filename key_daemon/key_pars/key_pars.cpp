#include "key_pars/key_pars.h"

#include <string.h>
#include <tinyxml2.h>

#include "key_pars/number_text.h"
#include "main/tavrion_log.h"
#include "sdk/hi_sdk_api.h"

using tinyxml2::XMLDocument;
using tinyxml2::XMLElement;

KeyArry keyGroups[kAdcGroupCount];
GpioKeyArry gpioKeys;
const std::string keyPadPath = "atv/etc/key_pad.xml";
std::unique_ptr<XMLDocument> keyPadDocument;

// Numbers of an ADC group are hexadecimal except the hold time; the GPIO group's are decimal.
static constexpr int kAdcRadix = 16;
static constexpr int kDurationRadix = 10;
static constexpr int kGpioRadix = 10;

// The attribute's text, or the text that stands for it when the attribute is absent.
static const char* TextOf(const XMLElement& element, const char* attribute, const char* fallback) {
    const char* text = element.Attribute(attribute);
    return text ? text : fallback;
}

static uint32_t Ulong(const XMLElement& element, const char* attribute, const char* fallback,
                      int radix) {
    return ParseUlong32(TextOf(element, attribute, fallback), radix);
}

static uint32_t Ullong(const XMLElement& element, const char* attribute, const char* fallback,
                       int radix) {
    return static_cast<uint32_t>(ParseUllong64(TextOf(element, attribute, fallback), radix));
}

static bool NameIs(const XMLElement& element, const char* name) {
    const char* value = element.Value();
    return value && strcmp(value, name) == 0;
}

XMLElement* ReadXml(const char& path) {
    const char* fileName = &path;
    TLOGD("fileName is %s\n", fileName);
    // Element pointers from the previous load die here, before the new file is read.
    keyPadDocument.reset();
    keyPadDocument = std::make_unique<XMLDocument>();
    if (keyPadDocument->LoadFile(fileName) != tinyxml2::XML_SUCCESS) {
        TLOGD("can't open the key_pad.xml\n");
        keyPadDocument.reset();
        return nullptr;
    }
    XMLElement* root = keyPadDocument->FirstChildElement();
    if (!root || !root->Value()) {
        TLOGD("key_pad.xml is empty file \n");
        keyPadDocument.reset();
        return nullptr;
    }
    if (strcmp(root->Value(), "key_pad_xml") != 0) {
        TLOGD("document of the wrong type, root node != root\n");
        keyPadDocument.reset();
        return nullptr;
    }
    return root;
}

// Finds key_pad.xml through the customisation library and loads it. No path from the library
// is a file that cannot be opened: the old document goes, and nothing is read.
static XMLElement* LoadKeyPad() {
    char buffer[HI_CUST_PATH_BUFFER_SIZE];
    memset(buffer, 0, sizeof buffer);
    const char* path = hi_get_one_cfg_file(keyPadPath.c_str(), CUST_TYPE_CONFIG, buffer);
    if (!path) {
        keyPadDocument.reset();
        TLOGD("can't open the key_pad.xml\n");
        return nullptr;
    }
    return ReadXml(*path);
}

void SetKeyArray(const XMLElement& element, int& keyIndex, KeyArry& group) {
    if (NameIs(element, "enable")) {
        group.enable = Ulong(element, "value", "0", kAdcRadix);
    } else if (NameIs(element, "channel_id")) {
        group.channel_id = static_cast<uint8_t>(Ulong(element, "value", "0", kAdcRadix));
    } else if (NameIs(element, "KeyLevelNum")) {
        group.KeyLevelNum = static_cast<uint8_t>(Ulong(element, "value", "0", kAdcRadix));
    } else if (NameIs(element, "key_pad")) {
        // A group has eight key slots; further keys of the group are ignored.
        if (keyIndex < 0 || keyIndex >= kKeySlots) {
            return;
        }
        int n = keyIndex;
        group.KeyThreshold[n] =
            static_cast<uint8_t>(Ulong(element, "KeyThreshold", "0", kAdcRadix));
        group.KeyCode[n] = Ullong(element, "KeyCode", "0", kAdcRadix);
        group.LongKeyCode[n] = Ullong(element, "LongKeyCode", "0", kAdcRadix);
        const char* repeat = element.Attribute("Repeat");
        group.keyState[n].Repeat = (repeat && strcmp(repeat, "true") == 0) ? 1 : 0;
        group.LongKeyDuration[n] = Ullong(element, "LongKeyDuration", "800", kDurationRadix);
        ++keyIndex;
    }
}

void ParsKey(XMLElement& groupElement, KeyArry& group) {
    int keyIndex = 0;
    for (XMLElement* child = groupElement.FirstChildElement(); child;
         child = child->NextSiblingElement()) {
        SetKeyArray(*child, keyIndex, group);
    }
}

void GetBoardKeyPad(KeyArry* groups, int count) {
    XMLElement* root = LoadKeyPad();
    if (count > kAdcGroupCount || !root || count < 1 || !groups) {
        return;
    }
    // A "gpio" child is not a group but still takes its place in the count.
    XMLElement* node = root->FirstChildElement();
    for (int i = 0; i < count && node; ++i, node = node->NextSiblingElement()) {
        if (NameIs(*node, "gpio")) {
            continue;
        }
        TLOGD("GetBoardKeyPad nodePtr=%s, i = %d\n", node->Value(), i);
        ParsKey(*node, groups[i]);
        TLOGD("parsKey i = %d, enable=0x%x, channel=0x%x\n", i, groups[i].enable,
              groups[i].channel_id);
    }
}

void SetGpio(const XMLElement& element, int& keyIndex, GpioKeyArry& gpio) {
    if (NameIs(element, "enable")) {
        gpio.enable = Ulong(element, "value", "0", kGpioRadix);
    } else if (NameIs(element, "KeyLevelNum")) {
        gpio.KeyLevelNum = static_cast<uint8_t>(Ulong(element, "value", "0", kGpioRadix));
    } else if (NameIs(element, "key_pad")) {
        // Only keys announced by a KeyLevelNum seen before them take a slot.
        if (keyIndex < 0 || keyIndex >= kKeySlots || keyIndex >= gpio.KeyLevelNum) {
            return;
        }
        int n = keyIndex;
        gpio.GroupNum[n] = static_cast<uint8_t>(Ulong(element, "GroupNum", "0", kGpioRadix));
        gpio.PinNum[n] = static_cast<uint8_t>(Ulong(element, "PinNum", "0", kGpioRadix));
        gpio.KeyCode[n] = Ullong(element, "KeyCode", "0", kGpioRadix);
        ++keyIndex;
    }
}

void GetGpioKeyPad(GpioKeyArry& gpio) {
    XMLElement* root = LoadKeyPad();
    if (!root) {
        return;
    }
    XMLElement* gpioElement = root->FirstChildElement("gpio");
    if (!gpioElement) {
        return;
    }
    int keyIndex = 0;
    for (XMLElement* child = gpioElement->FirstChildElement(); child;
         child = child->NextSiblingElement()) {
        SetGpio(*child, keyIndex, gpio);
    }
}
