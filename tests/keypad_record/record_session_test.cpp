// keypad-record's loop on the simulated board, with a fake clock and a pace that moves it and
// plays a script of board changes: every sample's reading is known, and nothing sleeps.
#include "record_session.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>

#include <sstream>
#include <string>
#include <vector>

#include "fake_clock.h"
#include "record_pace.h"
#include "temp_board.h"

// From this many ms after the start, the board file holds content (empty: removed).
struct BoardChange {
    uint64_t ms;
    std::string file;
    std::string content;
};

static constexpr uint64_t kStartMs = 5000;
static TempBoard* board;
static std::vector<BoardChange> script;
static size_t played;
static uint64_t lateMs;    // every wake-up comes this late
static uint64_t stopAtMs;  // a stop signal arrives then (0: never)

static void PlayUntil(uint64_t elapsed) {
    for (; played < script.size() && script[played].ms <= elapsed; ++played) {
        const BoardChange& c = script[played];
        if (c.content.empty())
            board->Remove(c.file);
        else
            board->Write(c.file, c.content);
    }
}

void PaceUntilMs(uint64_t deadline) {
    uint64_t at = deadline + lateMs;
    if (stopAtMs != 0 && at - kStartMs >= stopAtMs) {
        at = kStartMs + stopAtMs;
        recordStopRequested = 1;
    }
    SetFakeMs(at);
    PlayUntil(at - kStartMs);
}

struct RecordCase {
    const char* name;
    uint32_t periodMs;
    uint64_t forMs;
    uint64_t lateMs;
    uint64_t stopAtMs;
    bool everySample;
    std::vector<BoardChange> script;
    const char* expected;  // the trace's steps, comments left out
};

TEST(RecordSession, WritesEveryChangeAndEndsAtTheStop) {
    // clang-format off
    const RecordCase cases[] = {
        {"changes of a channel and a line, a failing read, the end at --for", 10, 100, 0, 0, false,
         {{0, "lsadc/1", "0x30"}, {30, "lsadc/1", "49"}, {40, "gpio/11", "0"},
          {50, "fail/HI_UNF_LSADC_GetValue", "0x80470001"},
          {60, "fail/HI_UNF_LSADC_GetValue", ""}, {60, "lsadc/1", ""}},
         "0 adc 1 0x30\n0 gpio 11 1\n30 adc 1 0x31\n40 gpio 11 0\n50 adc 1 fail\n"
         "60 adc 1 0xff\n100 adc 1 0xff\n100 gpio 11 0\n"},
        {"late wake-ups are stamped on the period's grid and skip the samples they missed",
         10, 100, 25, 0, false, {{20, "lsadc/1", "0x40"}},
         "0 adc 1 0xff\n30 adc 1 0x40\n100 adc 1 0x40\n"},
        {"a stop signal ends the trace at the time it came", 10, 0, 0, 47, false,
         {{15, "lsadc/1", "0x50"}}, "0 adc 1 0xff\n20 adc 1 0x50\n47 adc 1 0x50\n"},
        {"a --for that is no whole number of periods", 10, 25, 0, 0, false, {},
         "0 adc 1 0xff\n25 adc 1 0xff\n"},
        {"every sample written, at a 20 ms period", 20, 40, 0, 0, true,
         {{20, "lsadc/1", "0x10"}}, "0 adc 1 0xff\n20 adc 1 0x10\n40 adc 1 0x10\n"},
    };
    // clang-format on
    for (const RecordCase& c : cases) {
        TempBoard temp;
        board = &temp;
        script = c.script;
        played = 0;
        lateMs = c.lateMs;
        stopAtMs = c.stopAtMs;
        recordStopRequested = 0;
        SetFakeMs(kStartMs);
        PlayUntil(0);
        RecordOptions options = {};
        options.periodMs = c.periodMs;
        options.forMs = c.forMs;
        options.channels[options.channelCount++] = 1;
        if (c.script.size() > 2) options.gpioLines[options.gpioCount++] = 11;
        options.everySample = c.everySample;
        char* text = nullptr;
        size_t size = 0;
        FILE* out = open_memstream(&text, &size);
        ASSERT_EQ(RecordSession(options, out), 0) << c.name;
        fclose(out);
        std::istringstream lines(text);
        free(text);
        std::string line, steps, header;
        while (std::getline(lines, line)) (line[0] == '#' ? header : steps) += line + "\n";
        EXPECT_EQ(steps, c.expected) << c.name;
        EXPECT_NE(header.find("# period: " + std::to_string(c.periodMs) + " ms\n"),
                  std::string::npos)
            << header;
    }
}
