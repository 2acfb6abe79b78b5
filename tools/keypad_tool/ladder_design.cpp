#include "ladder_design.h"

#include <stdio.h>

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <vector>

#include "ladder_analysis.h"
#include "ladder_model.h"

// The E96 values of one decade; E48 is every second of them. E24 and E12 have their own.
static const int kE96[] = {100, 102, 105, 107, 110, 113, 115, 118, 121, 124, 127, 130, 133, 137,
                           140, 143, 147, 150, 154, 158, 162, 165, 169, 174, 178, 182, 187, 191,
                           196, 200, 205, 210, 215, 221, 226, 232, 237, 243, 249, 255, 261, 267,
                           274, 280, 287, 294, 301, 309, 316, 324, 332, 340, 348, 357, 365, 374,
                           383, 392, 402, 412, 422, 432, 442, 453, 464, 475, 487, 499, 511, 523,
                           536, 549, 562, 576, 590, 604, 619, 634, 649, 665, 681, 698, 715, 732,
                           750, 768, 787, 806, 825, 845, 866, 887, 909, 931, 953, 976};
static const int kE24[] = {10, 11, 12, 13, 15, 16, 18, 20, 22, 24, 27, 30,
                           33, 36, 39, 43, 47, 51, 56, 62, 68, 75, 82, 91};
static_assert(sizeof kE96 / sizeof kE96[0] == 96 && sizeof kE24 / sizeof kE24[0] == 24, "");

// Standard tolerances, largest first, for advice.
static const int kTolerances[] = {2000, 1000, 500, 200, 100, 50, 25, 10, 5, 2, 1};
static const int kSeries[] = {12, 24, 48, 96};

bool SeriesKnown(int series) {
    return std::find(std::begin(kSeries), std::end(kSeries), series) != std::end(kSeries);
}

// Every value of the series from 0.1 ohm up to 9.76M, in milliohms, ascending.
static std::vector<int64_t> SeriesValues(int series) {
    std::vector<int64_t> decade;
    if (series >= 48) {
        for (int i = 0; i < 96; i += 96 / series) decade.push_back(kE96[i]);
    } else {
        for (int i = 0; i < 24; i += 24 / series) decade.push_back(kE24[i] * 10);
    }
    std::vector<int64_t> values;
    // A decade's values are 100 to 976 (1.00 to 9.76 times its first), the first decade's
    // in milliohms.
    for (int64_t scale = 1; scale * 100 < kMaxMilliohms; scale *= 10) {
        for (int64_t v : decade) values.push_back(v * scale);
    }
    return values;
}

namespace {

struct Search {
    const LadderDesignRequest& request;
    const std::vector<int64_t>& values;
    ReadingRange rest;
    int last;                    // the top slot: keys - 1
    int gap;                     // the smallest gap sought
    std::vector<double> target;  // the centre of each slot's range, were they evenly spread
    // For a slot on top of a chain sum, the lowest threshold below from which nothing fits: a
    // higher one leaves even less room.
    std::unordered_map<int64_t, int> failedFrom;
    std::vector<int64_t> chain;

    ReadingRange Range(int64_t sum) const {
        return WorstCase(sum, request.tolerance, request.pullUp, request.tolerance,
                         request.adcError);
    }
    // Places slots slot... on top of a chain summing to sum, whose top range ends at high and
    // whose window has the threshold below (as low as the windows allow).
    bool From(int slot, int64_t sum, int high, int below);
};

}  // namespace

bool Search::From(int slot, int64_t sum, int high, int below) {
    if (slot > last) return true;
    const int64_t state = sum * kKeySlots + slot;
    const auto failed = failedFrom.find(state);
    if (failed != failedFrom.end() && failed->second <= below) return false;
    // The first value whose range starts far enough above the last one.
    const auto first = std::partition_point(
        values.begin(), values.end(), [&](int64_t r) { return Range(sum + r).low <= high + gap; });
    struct Option {
        double distance;
        int64_t value;
        ReadingRange range;
        int threshold;
    };
    std::vector<Option> options;
    // Each later slot needs a window of its own above this one, and a range at least
    // 2 × adc-error wide with the gap below it and (for the top one) the gap to the rest reading.
    const int windowsAbove = (last - slot) * (kWindowWidth + 1);
    const int rangesAbove = (last - slot) * (gap + 1 + 2 * request.adcError) + gap + 1;
    for (auto v = first; v != values.end(); ++v) {
        const ReadingRange r = Range(sum + *v);
        int lowest = 0;
        int highest = 0;
        ThresholdBounds(slot, r, lowest, highest);
        const int threshold = std::max(lowest, below + kWindowWidth + 1);
        // Windows only climb with the value: once the later ones no longer fit under the rest
        // reading, no larger value does either.
        if (threshold + windowsAbove >= rest.low || r.high + rangesAbove > rest.low) break;
        if (threshold > highest) continue;
        if (slot == last && rest.low - r.high - 1 < gap) continue;
        const double centre = (r.low + r.high) / 2.0;
        options.push_back({std::fabs(centre - target[slot]), *v, r, threshold});
    }
    std::stable_sort(options.begin(), options.end(),
                     [](const Option& a, const Option& b) { return a.distance < b.distance; });
    for (const Option& o : options) {
        chain.push_back(o.value);
        if (From(slot + 1, sum + o.value, o.range.high, o.threshold)) return true;
        chain.pop_back();
    }
    int& from = failedFrom.emplace(state, below).first->second;
    from = std::min(from, below);
    return false;
}

// A chain with every gap at least gap, or false.
static bool ChainWithGap(const LadderDesignRequest& q, const std::vector<int64_t>& values, int gap,
                         std::vector<int64_t>& chain) {
    Search s = {q, values, RestRange(q.adcError), q.keys - 1, gap, {}, {}, {}};
    const ReadingRange zero = s.Range(0);
    const double from = (zero.low + zero.high) / 2.0;
    const double to = (s.rest.low + s.rest.high) / 2.0;
    for (int k = 0; k < q.keys; ++k) s.target.push_back(from + (to - from) * k / q.keys);
    int lowest = 0;
    int highest = 0;
    ThresholdBounds(0, zero, lowest, highest);
    if (lowest > highest) return false;
    if (!s.From(1, 0, zero.high, lowest)) return false;
    chain = s.chain;
    return true;
}

int DesignLadder(const LadderDesignRequest& q, Ladder& ladder) {
    const std::vector<int64_t> values = SeriesValues(q.series);
    std::vector<int64_t> chain;
    if (!ChainWithGap(q, values, 0, chain)) return -1;
    // The largest gap that some chain keeps everywhere: every smaller one is kept too.
    // Between key 0 and the rest reading lie the other keys' ranges, each at least
    // 2 × adc-error wide, and a gap above each.
    const int n = q.keys - 1;
    const int between =
        RestRange(q.adcError).low - WorstCase(0, 0, q.pullUp, 0, q.adcError).high - 1;
    int fits = 0;
    int fails = std::max((between - n * (2 * q.adcError + 1)) / (n + 1), 0) + 1;
    while (fails - fits > 1) {
        const int gap = (fits + fails) / 2;
        std::vector<int64_t> wider;
        if (ChainWithGap(q, values, gap, wider)) {
            fits = gap;
            chain = wider;
        } else {
            fails = gap;
        }
    }
    ladder = Ladder();
    ladder.chained = true;
    ladder.pullUp = q.pullUp;
    ladder.pullUpTolerance = q.tolerance;
    ladder.adcError = q.adcError;
    ladder.chain = chain;
    int64_t sum = 0;
    for (int k = 0; k < q.keys; ++k) {
        if (k > 0) sum += chain[k - 1];
        ladder.slots[k] = {true, 0, sum, q.tolerance};
    }
    return 0;
}

static std::string Slot(int slot) {
    return slot == kRestSlot ? "the panel at rest" : "key " + std::to_string(slot);
}

std::string DesignText(const LadderDesignRequest& q, const Ladder& ladder) {
    ReadingRange ranges[kKeySlots] = {};
    int gap = 0;
    int below = 0;
    int above = 0;
    LadderRanges(ladder, ranges, gap, below, above);
    char line[160];
    std::string text;
    snprintf(line, sizeof line,
             "# %d keys on a chain of E%d resistors at %s, pull-up %s, adc-error %d "
             "(keypad-tool ladder --design)\n",
             q.keys, q.series, ToleranceText(q.tolerance).c_str(), ResistanceText(q.pullUp).c_str(),
             q.adcError);
    text += line;
    text += "# worst-case readings:";
    for (int k = 0; k < q.keys; ++k) {
        snprintf(line, sizeof line, " %d 0x%02x-0x%02x,", k, ranges[k].low, ranges[k].high);
        text += line;
    }
    const ReadingRange rest = RestRange(q.adcError);
    snprintf(line, sizeof line, " at rest 0x%02x-0x%02x\n", rest.low, rest.high);
    text += line;
    snprintf(line, sizeof line,
             "# smallest gap between neighbouring worst-case ranges: %d counts, between %s and "
             "%s\n",
             gap, Slot(below).c_str(), Slot(above).c_str());
    return text + line + LadderText(ladder);
}

std::string DesignAdvice(const LadderDesignRequest& q) {
    Ladder ladder;
    std::string would;
    auto add = [&](const std::string& what) { would += (would.empty() ? "" : "; ") + what; };
    for (int t : kTolerances) {
        LadderDesignRequest tighter = q;
        tighter.tolerance = t;
        if (t < q.tolerance && DesignLadder(tighter, ladder) == 0) {
            add("E" + std::to_string(q.series) + " at " + ToleranceText(t) + " would");
            break;
        }
    }
    bool finerFits = false;
    for (int series : kSeries) {
        LadderDesignRequest finer = q;
        finer.series = series;
        if (series > q.series && DesignLadder(finer, ladder) == 0) {
            add("E" + std::to_string(series) + " at " + ToleranceText(q.tolerance) + " would");
            finerFits = true;
            break;
        }
    }
    if (!would.empty() && !finerFits && q.series != kSeries[3]) {
        add("no finer series at " + ToleranceText(q.tolerance) + " would");
    }
    for (int keys = q.keys - 1; would.empty() && keys >= kMinDesignKeys; --keys) {
        LadderDesignRequest fewer = q;
        fewer.keys = keys;
        if (DesignLadder(fewer, ladder) == 0) add(std::to_string(keys) + " keys would");
    }
    return would.empty()
               ? "no tolerance or series would with adc-error " + std::to_string(q.adcError)
               : would;
}
