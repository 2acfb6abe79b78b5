#include "recording_uinput.h"

#include "main/uinput_device.h"

int uinputFd = -1;
std::string deviceName = "Hi Keypad";

std::vector<RecordedEvent>& RecordedEvents() {
    static std::vector<RecordedEvent> events;
    return events;
}

std::string RecordedEventsText() {
    std::string text;
    for (const RecordedEvent& e : RecordedEvents()) {
        if (!text.empty()) text += ' ';
        text += std::to_string(e.code) + ':' + std::to_string(e.value);
    }
    return text;
}

void ClearRecordedEvents() { RecordedEvents().clear(); }

int SetupUinputDevice(const StKeypadDeviceData&) { return 1; }

void WriteEventToDevice(unsigned int code, unsigned int value) {
    RecordedEvents().push_back({code, value});
}
