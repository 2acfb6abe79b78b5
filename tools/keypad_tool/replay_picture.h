// keypad-tool replay --svg: the trace drawn against time, as an oscilloscope shows it. Filled in
// while the replay runs (every step as it is applied, every event as the daemon sends it), so
// the picture comes from the same pass as the text.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "svg_axis.h"
#include "trace_line.h"
#include "virtual_devices.h"

struct PictureWindow {
    uint32_t low, high;  // readings that give the key
    uint32_t code;
};

struct PictureChannel {
    uint32_t channel;
    std::vector<Level> levels;           // from time 0: idle (0xff) until the trace says else
    std::vector<PictureWindow> windows;  // of the enabled group on this channel, if any
};

struct PictureLine {
    uint32_t line;
    uint32_t code;              // the GPIO key on it, 0 for none
    std::vector<Level> levels;  // from time 0: released (1)
};

struct PictureMark {
    uint64_t ms;
    std::string text;
};

struct ReplayPicture {
    std::string title;
    std::vector<PictureChannel> channels;
    std::vector<PictureLine> lines;
    std::vector<ReplayEvent> events;
    std::vector<Level> keyLock;  // from time 0: off
    std::vector<PictureMark> properties;
    std::vector<std::pair<uint64_t, uint64_t>> stalls;  // start and length
    uint64_t endMs;
};

// The channels of the enabled ADC groups (unless the daemon polls GPIO keys alone) and the GPIO
// keys' lines, with their windows and codes, from the daemon's records after start-up.
void BeginReplayPicture(ReplayPicture& picture, const std::string& title);
void NoteReplayStep(ReplayPicture& picture, const TraceStep& step);
void NoteReplayEvent(ReplayPicture& picture, const ReplayEvent& event);

// The picture of from..to (to 0: the end of the replay), 1200 pixels wide whatever the length.
std::string DrawReplayPicture(const ReplayPicture& picture, uint64_t from, uint64_t to);
