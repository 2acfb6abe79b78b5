// A recording of the panel (a replay trace, as keypad-record writes it) read as runs of equal
// readings per LSADC channel, each with the number of samples it lasted at the recording's
// period. Only changes need to be in the file: a reading holds until the channel's next step.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "replay_board.h"
#include "trace_text.h"

struct ReadingRun {
    uint32_t reading;
    bool failed;       // reads of the channel failed
    uint32_t samples;  // how many samples it lasted
    int line;          // the trace line that set it
};

struct Recording {
    uint32_t periodMs;  // "# period: N ms" in the header, else the board's default
    uint64_t endMs;     // time of the last step
    std::vector<ReadingRun> channels[kBoardChannels];
};

// The recording in text (a trace read once); 0, or -1 with problem saying where and why it cannot
// be read.
int ReadRecording(const std::string& text, Recording& recording, TraceProblem& problem);
