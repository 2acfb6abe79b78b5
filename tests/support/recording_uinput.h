// A recording stand-in for the virtual keyboard: every WriteEventToDevice call is kept in order
// so that tests can assert the exact event sequence.
#pragma once

#include <string>
#include <vector>

struct RecordedEvent {
    unsigned int code;
    unsigned int value;
    bool operator==(const RecordedEvent& other) const {
        return code == other.code && value == other.value;
    }
};

std::vector<RecordedEvent>& RecordedEvents();
// The recorded events as "code:value" separated by blanks, for readable failure output.
std::string RecordedEventsText();
void ClearRecordedEvents();
