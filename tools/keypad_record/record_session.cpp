#include "record_session.h"

#include <errno.h>
#include <poll.h>
#include <string.h>
#include <time.h>

#include "key_pars/key_pars.h"
#include "main/adc_scanner.h"
#include "main/daemon_clock.h"
#include "record_pace.h"
#include "sdk/hi_wrappers.h"

volatile sig_atomic_t recordStopRequested = 0;

// What one channel or line gave at the last sample.
struct SourceReading {
    bool known;   // sampled at least once
    bool failed;  // the SDK call returned an error (code in value)
    uint32_t value;
};

static SourceReading channelReadings[kRecordMaxChannels];
static SourceReading lineReadings[kRecordMaxLines];
static bool liveShown;

static SourceReading ReadChannel(uint32_t channel) {
    unsigned int value = 0;
    int result = HiLsadcGetValue(channel, value);
    return result == 0 ? SourceReading{true, false, value}
                       : SourceReading{true, true, static_cast<uint32_t>(result)};
}

static SourceReading ReadLine(uint32_t line) {
    HI_BOOL level = HI_TRUE;
    int result = HiGpioRead(line / 8, line % 8, level);
    return result == 0 ? SourceReading{true, false, level == HI_FALSE ? 0u : 1u}
                       : SourceReading{true, true, static_cast<uint32_t>(result)};
}

// The reader of the output pipe has gone (or the terminal hung up). The descriptor says so at once,
// so a quiet panel, which writes nothing for minutes, still ends the recording.
static bool ReaderGone(FILE* out) {
    struct pollfd p = {fileno(out), 0, 0};
    return poll(&p, 1, 0) == 1 && (p.revents & (POLLERR | POLLHUP)) != 0;
}

static bool Same(const SourceReading& a, const SourceReading& b) {
    return a.known == b.known && a.failed == b.failed && a.value == b.value;
}

static void WriteChannel(FILE* out, uint64_t ms, uint32_t channel, const SourceReading& r) {
    const unsigned long long at = ms;
    if (r.failed) {
        fprintf(out, "%llu adc %u fail\n", at, channel);
    } else {
        fprintf(out, "%llu adc %u 0x%02x\n", at, channel, r.value);
    }
}

static void WriteLine(FILE* out, uint64_t ms, uint32_t line, const SourceReading& r) {
    const unsigned long long at = ms;
    if (r.failed) {
        // A trace has no failing GPIO step; the daemon keeps the level it last read.
        fprintf(out, "# %llu ms: gpio %u cannot be read (0x%08x)\n", at, line, r.value);
    } else {
        fprintf(out, "%llu gpio %u %u\n", at, line, r.value);
    }
}

// One sample of everything recorded; writes what changed (everything when all is set). True when
// anything changed.
static bool Sample(const RecordOptions& o, FILE* out, uint64_t ms, bool all) {
    bool changed = false;
    for (int i = 0; i < o.channelCount; ++i) {
        const uint32_t channel = o.channels[i];
        SourceReading now = ReadChannel(channel);
        bool differs = !Same(now, channelReadings[channel]);
        if (differs || all) WriteChannel(out, ms, channel, now);
        changed |= differs;
        channelReadings[channel] = now;
    }
    for (int i = 0; i < o.gpioCount; ++i) {
        SourceReading now = ReadLine(o.gpioLines[i]);
        bool differs = !Same(now, lineReadings[i]);
        if (differs || all) WriteLine(out, ms, o.gpioLines[i], now);
        changed |= differs;
        lineReadings[i] = now;
    }
    return changed;
}

// The key the daemon's matching gives a reading of the channel, as text.
static void KeyText(uint32_t channel, const SourceReading& r, char* text, size_t size) {
    if (r.failed) {
        snprintf(text, size, "read fails (0x%08x)", r.value);
        return;
    }
    for (int g = 0; g < kAdcGroupCount; ++g) {
        if (keyGroups[g].enable == 0 || keyGroups[g].channel_id != channel) continue;
        int slot = kKeySlots;
        int code = MapKeyValue(g, r.value, slot);
        if (code != 0) {
            snprintf(text, size, "0x%02x  key %d of group %d (code 0x%x)", r.value, slot, g, code);
        } else {
            snprintf(text, size, "0x%02x  no key", r.value);
        }
        return;
    }
    snprintf(text, size, "0x%02x", r.value);
}

// Redraws one line per channel and GPIO line in place.
static void ShowLive(const RecordOptions& o) {
    if (liveShown) fprintf(stderr, "\033[%dA", o.channelCount + o.gpioCount);
    char text[96];
    for (int i = 0; i < o.channelCount; ++i) {
        KeyText(o.channels[i], channelReadings[o.channels[i]], text, sizeof text);
        fprintf(stderr, "\r\033[Kchannel %u: %s\n", o.channels[i], text);
    }
    for (int i = 0; i < o.gpioCount; ++i) {
        const SourceReading& r = lineReadings[i];
        fprintf(stderr, "\r\033[Kgpio %u: %s\n", o.gpioLines[i],
                r.failed       ? "read fails"
                : r.value == 0 ? "0 (pressed)"
                               : "1");
    }
    liveShown = true;
}

static void WriteHeader(const RecordOptions& o, FILE* out) {
    char when[64] = "unknown time";
    time_t now = time(nullptr);
    struct tm utc;
    if (gmtime_r(&now, &utc)) strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S UTC", &utc);
    fprintf(out, "# keypad-tool recording, started %s\n", when);
    fprintf(out, "# period: %u ms\n", o.periodMs);
    fprintf(out, "# channels:");
    for (int i = 0; i < o.channelCount; ++i) fprintf(out, " %u", o.channels[i]);
    fprintf(out, "%s\n# gpio lines:", o.channelCount == 0 ? " none" : "");
    for (int i = 0; i < o.gpioCount; ++i) fprintf(out, " %u", o.gpioLines[i]);
    fprintf(out, "%s\n", o.gpioCount == 0 ? " none" : "");
    fprintf(out, "# layout: %s\n", o.layoutPath ? o.layoutPath : "none on the board");
}

int RecordSession(const RecordOptions& options, FILE* out) {
    memset(channelReadings, 0, sizeof channelReadings);
    memset(lineReadings, 0, sizeof lineReadings);
    liveShown = false;
    const uint32_t period = options.periodMs != 0 ? options.periodMs : kRecordDefaultPeriodMs;
    const uint64_t limit =
        options.forMs != 0 && options.forMs < kRecordMaxMs ? options.forMs : kRecordMaxMs;
    WriteHeader(options, out);

    const uint64_t start = MonotonicMs();
    uint64_t ms = 0;
    for (;;) {
        const bool last = recordStopRequested != 0 || ms >= limit;
        // The last sample writes everything, so the trace ends at the stop time.
        bool changed = Sample(options, out, ms, last || options.everySample);
        if (changed || last || options.everySample) fflush(out);
        if (ferror(out) || ReaderGone(out)) {
            fprintf(stderr, "keypad-record: cannot write the trace: %s\n",
                    strerror(ferror(out) ? errno : EPIPE));
            return -1;
        }
        if (options.live && (changed || last)) ShowLive(options);
        if (last) return 0;
        // Deadlines are counted from the start, so a late wake-up does not shift later samples;
        // a wake-up later than a whole period skips the samples it missed.
        uint64_t next = (ms / period + 1) * period;
        if (next > limit) next = limit;
        for (;;) {
            PaceUntilMs(start + next);
            ms = MonotonicMs() - start;
            if (ms >= next || recordStopRequested != 0) break;
        }
        // Stamped on the period's grid, as the replay samples; a stop request is stamped when
        // it came.
        if (ms >= next && recordStopRequested == 0) {
            const uint64_t grid = ms / period * period;
            ms = grid > next ? grid : next;  // next may be the end, between two grid points
        }
        if (ms > limit) ms = limit;
    }
}
