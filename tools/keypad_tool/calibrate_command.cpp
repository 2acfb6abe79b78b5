#include "calibrate_command.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>
#include <tinyxml2.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "calibrate_picture.h"
#include "daemon_startup.h"
#include "finding.h"
#include "input_file.h"
#include "key_pars/key_pars.h"
#include "layout_elements.h"
#include "layout_file.h"
#include "output_file.h"
#include "reading_owners.h"
#include "recording.h"
#include "steady_readings.h"
#include "threshold_write.h"
#include "window_placement.h"

// A press further than this from every window is not taken for any key's.
static constexpr uint32_t kNearestKeyReach = 8;
// Readings up to this value always give key 0.
static constexpr uint32_t kKeyZeroFloor = 5;
static constexpr int kNoKey = -2;

// What the recording shows of one key.
struct KeyReadings {
    uint32_t presses;
    uint32_t lostPresses;  // presses with a reading that does not give the key
    uint32_t low;
    uint32_t high;
};

// Everything one calibration finds, for the report and the written layout.
struct Calibration {
    std::string table;  // each group's keys, as printed
    Findings layout;
    Findings trace;
    std::vector<ThresholdEdit> edits;
    bool placed = true;
    std::vector<CalibrateGroupPicture> pictures;  // what --svg draws
};

// Appends a line to the table.
static void Row(std::string& table, const char* format, ...) __attribute__((format(printf, 2, 3)));
static void Row(std::string& table, const char* format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    vsnprintf(line, sizeof line, format, args);
    va_end(args);
    table += line;
}

// What the findings about one group call its keys: by slot alone, or with the group's number
// where the slot alone does not tell (see KeyRef).
struct GroupNames {
    const GroupElements& e;
    int g;
    bool named;  // the trace's findings name the group: more than one group is calibrated
    std::string Key(int k, bool trace) const { return KeyRef(e, g, k, trace && named); }
};

static tinyxml2::XMLDocument document;
static Recording recording;

static int Threshold(int g, int k) { return keyGroups[g].KeyThreshold[k]; }
static int WindowLow(int t) { return t - kWindowWidth; }

// Distance from the readings low..high to key k's window (0: they meet it); -1 for no window.
static int DistanceToKey(int g, int k, uint32_t low, uint32_t high) {
    if (k == 0 && low <= kKeyZeroFloor) return 0;
    const int t = Threshold(g, k);
    if (t < kWindowWidth) return -1;
    const int64_t lo = WindowLow(t);
    if (static_cast<int64_t>(high) < lo) return static_cast<int>(lo - high);
    if (static_cast<int64_t>(low) > t) return static_cast<int>(std::min<int64_t>(low - t, 1 << 20));
    return 0;
}

// The key whose window the readings lie in or are nearest to, the lowest slot on a tie.
static int NearestKey(int g, int keys, uint32_t low, uint32_t high) {
    int best = kNoKey;
    int bestDistance = 0;
    for (int k = 0; k < keys; ++k) {
        int d = DistanceToKey(g, k, low, high);
        if (d >= 0 && (best == kNoKey || d < bestDistance)) {
            best = k;
            bestDistance = d;
        }
    }
    return best != kNoKey && bestDistance <= static_cast<int>(kNearestKeyReach) ? best : kNoKey;
}

static std::string Describe(const GroupNames& n, int key, const SteadyReading* s) {
    char text[64];
    if (!s) return "the start or end of the recording";
    if (key == kRestItem) {
        snprintf(text, sizeof text, "the rest reading 0x%02x", s->low);
    } else if (key == kNoKey) {
        snprintf(text, sizeof text, "0x%02x (no key)", s->low);
    } else {
        snprintf(text, sizeof text, "0x%02x (%s)", s->low, n.Key(key, true).c_str());
    }
    return text;
}

// Samples between two steady readings that give a third key: two or three in a row are one or
// two samples from a press the daemon would confirm.
static void CheckTransit(const GroupNames& n, const int8_t owners[kReadings],
                         const std::vector<ReadingRun>& runs, size_t from, size_t to,
                         const SteadyReading* before, int beforeKey, const SteadyReading* after,
                         int afterKey, Calibration& c) {
    const int g = n.g;
    int owner = -1;
    uint64_t count = 0;
    int line = 0;
    uint32_t low = 0, high = 0;  // the readings of the stretch
    auto flush = [&]() {
        if (owner < 0 || owner == beforeKey || owner == afterKey || count < 2) return;
        const int t = Threshold(g, owner);
        const std::string key = n.Key(owner, true);
        c.pictures.back().marks.push_back({low, high, count >= kSteadySamples ? kError : kWarning});
        if (count >= kSteadySamples) {
            AddFinding(c.trace, line, kError,
                       "between %s and %s the channel reads %s's window 0x%02x-0x%02x for "
                       "%llu samples: the daemon confirms a phantom press of %s",
                       Describe(n, beforeKey, before).c_str(), Describe(n, afterKey, after).c_str(),
                       key.c_str(), WindowLow(t), t, static_cast<unsigned long long>(count),
                       key.c_str());
        } else {
            AddFinding(c.trace, line, kWarning,
                       "between %s and %s the channel reads %s's window 0x%02x-0x%02x for "
                       "%llu samples at %u ms: %llu sample%s more and the daemon confirms a "
                       "phantom press of %s",
                       Describe(n, beforeKey, before).c_str(), Describe(n, afterKey, after).c_str(),
                       key.c_str(), WindowLow(t), t, static_cast<unsigned long long>(count),
                       recording.periodMs, static_cast<unsigned long long>(kSteadySamples - count),
                       kSteadySamples - count == 1 ? "" : "s", key.c_str());
        }
    };
    for (size_t i = from; i < to; ++i) {
        const ReadingRun& r = runs[i];
        const int o = r.failed || r.reading >= kReadings ? -1 : owners[r.reading];
        if (o != owner) {
            flush();
            owner = o;
            count = 0;
            line = r.line;
            low = high = r.reading;
        }
        count += r.samples;
        low = std::min(low, r.reading);
        high = std::max(high, r.reading);
    }
    flush();
}

// Fills the proposal's items: every key pressed, the keys never pressed as they are, and the
// panel's rest reading, which no window may hold.
static std::vector<WindowItem> Items(int g, int keys, const KeyReadings* seen,
                                     const SteadyReading& rest) {
    std::vector<WindowItem> items;
    for (int k = 0; k < keys; ++k) {
        const int t = Threshold(g, k);
        if (seen[k].presses == 0) {
            if (t >= kWindowWidth) items.push_back({k, kWindowWidth, t, t, t, t});
            continue;
        }
        int low = static_cast<int>(std::min<uint32_t>(seen[k].low, 1 << 20));
        const int high = static_cast<int>(std::min<uint32_t>(seen[k].high, 1 << 20));
        // Readings 0 to 5 give key 0 whatever its window, which need not hold them.
        if (k == 0 && low <= static_cast<int>(kKeyZeroFloor)) {
            low = high <= static_cast<int>(kKeyZeroFloor) ? kKeyZeroFloor : kKeyZeroFloor + 1;
        }
        const int lowest = std::max(high, kWindowWidth);
        const int highest = std::min(low + kWindowWidth, 255);
        items.push_back(
            {k, kWindowWidth, lowest, highest, (low + high + 1) / 2 + kWindowWidth / 2, 0});
    }
    if (rest.low <= 255) {
        const int high = static_cast<int>(std::min<uint32_t>(rest.high, 255));
        items.push_back({kRestItem, high - static_cast<int>(rest.low), high, high, high, high});
    }
    return items;
}

static std::string ItemName(const GroupNames& n, const WindowItem& item, const KeyReadings* seen) {
    char text[128];
    const std::string key = item.key >= 0 ? n.Key(item.key, false) : "";
    if (item.key == kRestItem) {
        snprintf(text, sizeof text, "the rest reading 0x%02x-0x%02x", item.threshold - item.width,
                 item.threshold);
    } else if (seen[item.key].presses == 0) {
        snprintf(text, sizeof text, "%s (never pressed, window kept at 0x%02x-0x%02x)", key.c_str(),
                 item.lowest - kWindowWidth, item.lowest);
    } else {
        snprintf(text, sizeof text, "%s (readings 0x%02x-0x%02x)", key.c_str(), seen[item.key].low,
                 seen[item.key].high);
    }
    return text;
}

static int ItemLine(const GroupElements& e, const WindowItem& item) {
    return LineOf(item.key >= 0 ? e.keys[item.key] : nullptr, e.group);
}

// Where a key's readings lie in what gives the key: distances to the window's lower and upper
// edge (the lower one -1 where readings 0 to 5 carry key 0 whatever its window), and the upper
// edge itself. Called only for keys whose every reading gives the key, so neither is negative.
struct Margins {
    int below;
    int above;
    int upperEdge;
};

static Margins MarginsOf(int g, int k, const KeyReadings& r) {
    const int t = Threshold(g, k);
    const int high = static_cast<int>(r.high);
    if (k == 0 && r.low <= kKeyZeroFloor) {
        // Readings 0 to 5 give key 0; above them the key's readings go on only where its window
        // joins them.
        const bool joined =
            t >= kWindowWidth && WindowLow(t) <= static_cast<int>(kKeyZeroFloor) + 1;
        const int edge = high <= static_cast<int>(kKeyZeroFloor) && !joined
                             ? static_cast<int>(kKeyZeroFloor)
                             : std::max(t, static_cast<int>(kKeyZeroFloor));
        return {-1, edge - high, edge};
    }
    return {static_cast<int>(r.low) - WindowLow(t), t - high, t};
}

static void ReportKey(const GroupNames& n, int k, const KeyReadings& r, int proposed, bool quiet,
                      Calibration& c) {
    const int g = n.g;
    const int t = Threshold(g, k);
    const int line = LineOf(n.e.keys[k], n.e.group);
    const std::string key = n.Key(k, false);
    char window[16] = "none";
    if (t >= kWindowWidth) snprintf(window, sizeof window, "0x%02x-0x%02x", WindowLow(t), t);
    char readings[24] = "-";
    char margins[24] = "-";
    if (r.presses == 0) {
        AddFinding(c.layout, line, kWarning,
                   "%s is never pressed in the recording: its threshold is kept", key.c_str());
    } else if (r.lostPresses > 0) {
        snprintf(readings, sizeof readings, "0x%02x-0x%02x", r.low, r.high);
        snprintf(margins, sizeof margins, "outside");
        AddFinding(c.layout, line, kError,
                   "%s: %u of its %u presses read outside its window %s (readings "
                   "0x%02x-0x%02x): the daemon gives those readings to no key or another, so "
                   "presses are lost",
                   key.c_str(), r.lostPresses, r.presses, window, r.low, r.high);
    } else {
        snprintf(readings, sizeof readings, "0x%02x-0x%02x", r.low, r.high);
        const Margins m = MarginsOf(g, k, r);
        if (m.below < 0) {
            snprintf(margins, sizeof margins, "-, %d", m.above);
        } else {
            snprintf(margins, sizeof margins, "%d, %d", m.below, m.above);
        }
        const bool low = m.below >= 0 && m.below < m.above;
        const int margin = low ? m.below : m.above;
        if (margin < kSafeMargin) {
            char edge[64];
            if (low) {
                snprintf(edge, sizeof edge, "its window's lower edge 0x%02x", WindowLow(t));
            } else if (m.upperEdge == t) {
                snprintf(edge, sizeof edge, "its window's upper edge 0x%02x", t);
            } else {
                snprintf(edge, sizeof edge, "0x%02x, the highest reading that gives key 0",
                         m.upperEdge);
            }
            AddFinding(c.layout, line, kWarning,
                       "%s's readings 0x%02x-0x%02x come within %d count%s of %s: resistor "
                       "tolerance and temperature will cross it",
                       key.c_str(), r.low, r.high, margin, margin == 1 ? "" : "s", edge);
        }
    }
    char proposal[32] = "kept";
    if (proposed < 0) {
        snprintf(proposal, sizeof proposal, "none fits");
    } else if (r.presses > 0) {
        snprintf(proposal, sizeof proposal, "0x%02x (0x%02x-0x%02x)", proposed, WindowLow(proposed),
                 proposed);
    }
    if (!quiet) {
        Row(c.table, "  %-3d %-5d %-10s %-8u %-11s %-9s %s\n", k, line, window, r.presses, readings,
            margins, proposal);
    }
}

// Readings of a 32-bit channel compared without overflow: a reading near 0xffffffff (no key) is
// as far from the rest as any other.
static bool Near(uint32_t a, uint32_t b) {
    return static_cast<uint64_t>(a) + kSteadyBand >= b &&
           static_cast<uint64_t>(b) + kSteadyBand >= a;
}

static bool SameLevel(const SteadyReading& a, const SteadyReading& b) {
    return Near(a.low, b.low) && Near(a.high, b.high);
}

// The reading of the panel at rest. A recording begins and ends with the panel at rest, even
// when keys are held for seconds (long presses); failing that, the rest is the level that holds
// the most samples in all.
static SteadyReading RestReading(const std::vector<SteadyReading>& steady) {
    const SteadyReading& first = steady.front();
    const SteadyReading& last = steady.back();
    if (steady.size() > 1 && SameLevel(first, last)) {
        SteadyReading rest = first;
        rest.low = std::min(first.low, last.low);
        rest.high = std::max(first.high, last.high);
        return rest;
    }
    std::map<uint32_t, uint64_t> samplesFrom;  // by the low end of each stretch
    for (const SteadyReading& s : steady) samplesFrom[s.low] += s.samples;
    uint64_t best = 0;
    uint32_t bestLow = first.low;
    for (auto from = samplesFrom.begin(); from != samplesFrom.end(); ++from) {
        uint64_t total = 0;
        for (auto it = from; it != samplesFrom.end() && Near(it->first, from->first); ++it) {
            total += it->second;
        }
        if (total > best) {
            best = total;
            bestLow = from->first;
        }
    }
    SteadyReading rest = first;
    rest.low = bestLow;
    rest.high = bestLow;
    for (const SteadyReading& s : steady) {
        if (s.low >= bestLow && Near(s.low, bestLow)) rest.high = std::max(rest.high, s.high);
    }
    return rest;
}

// The longest run of consecutive samples of the steady stretch that key k's window holds, and
// the trace line where it begins.
static uint64_t SamplesInWindow(const int8_t owners[kReadings], const std::vector<ReadingRun>& runs,
                                const SteadyReading& s, int k, int& line) {
    uint64_t longest = 0;
    uint64_t count = 0;
    int start = 0;
    for (size_t j = s.firstRun; j < s.endRun; ++j) {
        const ReadingRun& r = runs[j];
        if (r.failed || r.reading >= kReadings || owners[r.reading] != k) {
            count = 0;
            continue;
        }
        if (count == 0) start = r.line;
        count += r.samples;
        if (count > longest) {
            longest = count;
            line = start;
        }
    }
    return longest;
}

static void CalibrateGroup(const GroupNames& n, bool quiet, Calibration& c) {
    const int g = n.g;
    const GroupElements& e = n.e;
    const KeyArry& group = keyGroups[g];
    const std::vector<ReadingRun>& runs = recording.channels[group.channel_id];
    const int groupLine = LineOf(e.group);
    if (group.KeyLevelNum > kKeySlots) {
        AddFinding(c.layout, groupLine, kError,
                   "group %d has KeyLevelNum %u: the daemon matches no key of it", g,
                   group.KeyLevelNum);
        return;
    }
    const std::vector<SteadyReading> steady = FindSteadyReadings(runs);
    if (steady.empty()) {
        AddFinding(c.layout, groupLine, kWarning, "group %d: channel %u %s in the recording", g,
                   group.channel_id, runs.empty() ? "is not" : "never holds a reading steady");
        return;
    }
    const int keys = group.KeyLevelNum;
    int8_t owners[kReadings];
    ReadingOwners(g, owners);
    const SteadyReading rest = RestReading(steady);
    c.pictures.push_back({g, group.channel_id, rest.low, rest.high, {}, {}, {}, {}});
    CalibrateGroupPicture& picture = c.pictures.back();
    memcpy(picture.owners, owners, sizeof picture.owners);
    picture.unmatched.assign(kReadings, 0);
    for (int k = 0; k < keys; ++k) {
        picture.keys.push_back(
            {k, group.KeyCode[k], Threshold(g, k), std::vector<uint64_t>(kReadings)});
    }
    // The samples of a press at each of its readings, for the picture.
    auto count = [&](const SteadyReading& s, std::vector<uint64_t>& samples) {
        for (size_t j = s.firstRun; j < s.endRun; ++j) {
            if (!runs[j].failed && runs[j].reading < kReadings)
                samples[runs[j].reading] += runs[j].samples;
        }
    };

    std::vector<int> keyOf(steady.size());
    KeyReadings seen[kKeySlots] = {};
    uint32_t presses = 0;
    for (size_t i = 0; i < steady.size(); ++i) {
        const SteadyReading& s = steady[i];
        if (uint64_t{s.low} + kSteadyBand >= rest.low &&
            uint64_t{s.high} <= uint64_t{rest.high} + kSteadyBand) {
            keyOf[i] = kRestItem;
            continue;
        }
        ++presses;
        const int k = NearestKey(g, keys, s.low, s.high);
        keyOf[i] = k;
        count(s, k == kNoKey ? picture.unmatched : picture.keys[k].samples);
        if (k == kNoKey) {
            AddFinding(c.trace, s.line, kError,
                       "a press reading 0x%02x-0x%02x for %llu samples matches no key of group "
                       "%d (no window within %u counts)",
                       s.low, s.high, static_cast<unsigned long long>(s.samples), g,
                       kNearestKeyReach);
            continue;
        }
        KeyReadings& r = seen[k];
        r.low = r.presses == 0 ? s.low : std::min(r.low, s.low);
        r.high = r.presses == 0 ? s.high : std::max(r.high, s.high);
        ++r.presses;
        for (size_t j = s.firstRun; j < s.endRun; ++j) {
            if (runs[j].reading >= kReadings || owners[runs[j].reading] != k) {
                ++r.lostPresses;
                break;
            }
        }
    }
    // One key's press running straight into another key's window, the panel never resting
    // between: the daemon confirms both, though only the first was pressed (a contact sliding).
    // Only four samples in a row in the other key's window confirm it; a stretch that is merely
    // nearest to that key is not cited.
    for (size_t i = 1; i < steady.size(); ++i) {
        const int from = keyOf[i - 1];
        const int to = keyOf[i];
        if (from < 0 || to < 0 || from == to) continue;
        int line = steady[i].line;
        const uint64_t inWindow = SamplesInWindow(owners, runs, steady[i], to, line);
        if (inWindow < kSteadySamples) continue;
        const int t = Threshold(g, to);
        picture.marks.push_back({steady[i].low, std::min<uint32_t>(steady[i].high, 255), kWarning});
        AddFinding(c.trace, line, kWarning,
                   "%s's press (0x%02x) runs into %s's window 0x%02x-0x%02x for %llu "
                   "samples without the panel coming to rest: the daemon reports %s too, a "
                   "phantom press unless it was pressed",
                   n.Key(from, true).c_str(), steady[i - 1].low, n.Key(to, true).c_str(),
                   WindowLow(t), t, static_cast<unsigned long long>(inWindow),
                   n.Key(to, true).c_str());
    }
    for (size_t i = 0; i <= steady.size(); ++i) {
        const SteadyReading* before = i > 0 ? &steady[i - 1] : nullptr;
        const SteadyReading* after = i < steady.size() ? &steady[i] : nullptr;
        CheckTransit(n, owners, runs, before ? before->endRun : 0,
                     after ? after->firstRun : runs.size(), before,
                     before ? keyOf[i - 1] : kRestItem, after, after ? keyOf[i] : kRestItem, c);
    }

    std::vector<WindowItem> items = Items(g, keys, seen, rest);
    std::vector<std::pair<int, int>> conflicts;
    const bool placed = PlaceWindows(items, conflicts);
    c.placed = c.placed && placed;
    int proposed[kKeySlots] = {};
    for (const WindowItem& item : items) {
        if (item.key >= 0) proposed[item.key] = placed ? item.threshold : -1;
        if (item.key >= 0) picture.keys[item.key].proposed = proposed[item.key];
    }

    if (!quiet) {
        char restText[32];
        snprintf(restText, sizeof restText, rest.low == rest.high ? "0x%02x" : "0x%02x-0x%02x",
                 rest.low, rest.high);
        Row(c.table, "ADC group %d: channel %u, rest reading %s, %u presses\n", g, group.channel_id,
            restText, presses);
        Row(c.table, "  key line  window     presses  readings    margins   proposed threshold\n");
    }
    for (int k = 0; k < keys; ++k) {
        ReportKey(n, k, seen[k], proposed[k], quiet, c);
        if (placed && seen[k].presses > 0 && proposed[k] != Threshold(g, k) && e.keys[k]) {
            c.edits.push_back({e.keys[k], static_cast<uint8_t>(proposed[k]), g, k});
        }
    }
    for (const std::pair<int, int>& p : conflicts) {
        const WindowItem& a = items[p.first];
        const WindowItem& b = items[p.second];
        const int line = ItemLine(e, a.key >= 0 ? a : b);
        if (p.first == p.second) {
            AddFinding(c.layout, line, kError, "%s: no 16-count window up to 0xff holds them all",
                       ItemName(n, a, seen).c_str());
        } else {
            AddFinding(c.layout, line, kError,
                       "%s and %s cannot be told apart with 16-count windows that do not overlap",
                       ItemName(n, a, seen).c_str(), ItemName(n, b, seen).c_str());
        }
    }
}

static int Write(const CalibrateOptions& options, const std::string& layout, const Calibration& c) {
    if (!c.placed) {
        fprintf(stderr, "keypad-tool: %s not written: no thresholds keep every key apart\n",
                options.writePath);
        return -2;
    }
    if (WriteThresholds(options.layout, layout, c.edits, options.writePath) != 0) return -1;
    if (!options.quiet) {
        printf("Wrote %s: %zu threshold%s changed, every other byte as in %s\n", options.writePath,
               c.edits.size(), c.edits.size() == 1 ? "" : "s", options.layout);
    }
    return 0;
}

int CalibrateText(const CalibrateOptions& options, const std::string& layout,
                  const std::string& trace, std::string* svg) {
    if (ParseLayoutText(options.layout, layout, document) != 0) return 2;
    TraceProblem problem = {0, nullptr};
    if (ReadRecording(trace, recording, problem) != 0) {
        fprintf(stderr, "%s:%ld: error: %s\n", options.trace, problem.line, problem.why);
        return 2;
    }
    LayoutElements elements;
    Findings ignored;  // check reports on the layout itself
    WalkLayout(document, elements, ignored);
    if (StartDaemonOnLayout(layout) != 0) {
        fprintf(stderr,
                "keypad-tool: the daemon reads no key from %s (keypad-tool check says why)\n",
                options.layout);
        return 2;
    }
    Calibration c;
    int groups = 0;
    for (const KeyArry& group : keyGroups) groups += group.enable != 0;
    for (int g = 0; g < kAdcGroupCount; ++g) {
        if (keyGroups[g].enable != 0)
            CalibrateGroup({elements.adc[g], g, groups > 1}, options.quiet, c);
    }
    if (groups == 0) {
        AddFinding(c.layout, LineOf(elements.root), kError, "no ADC key group is enabled");
    }
    SortFindings(c.layout);
    SortFindings(c.trace);
    if (!options.quiet) {
        printf("calibrate of %s (a sample every %u ms, %.1f s) on %s\n%s", options.trace,
               recording.periodMs, recording.endMs / 1000.0, options.layout, c.table.c_str());
    }
    const int errors =
        PrintFindingsSection(options.quiet, options.layout, c.layout, options.trace, &c.trace);
    if (svg) {
        *svg = DrawCalibratePicture(
            c.pictures, groups > 1,
            std::string("calibrate of ") + options.trace + " on " + options.layout);
    }
    if (options.writePath && Write(options, layout, c) == -1) return 2;
    if (!options.writePath && !options.quiet && !c.edits.empty() && c.placed) {
        printf(
            "keypad-tool calibrate --write OUT writes the layout with the proposed thresholds\n");
    }
    return errors > 0 ? 1 : 0;
}

int RunCalibrate(const CalibrateOptions& options) {
    if (RefuseOutputOverInput(options.writePath, "the layout", options.trace) != 0 ||
        RefuseOutputOverInput(options.svgPath, "the picture", options.layout, options.trace) != 0) {
        return 2;
    }
    std::string layout;
    std::string trace;
    if (ReadInputFile(options.layout, layout) != 0) return 2;
    if (ReadInputFile(options.trace, trace) != 0) return 2;
    std::string svg;
    const int status = CalibrateText(options, layout, trace, options.svgPath ? &svg : nullptr);
    if (status != 2 && options.svgPath && WriteOutputFile(options.svgPath, svg) != 0) return 2;
    return status;
}
