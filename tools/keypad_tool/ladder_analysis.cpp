#include "ladder_analysis.h"

#include <stdio.h>

#include <algorithm>
#include <set>
#include <string>
#include <utility>

#include "window_placement.h"

static_assert(kRestSlot == kRestItem, "the rest reading is one slot name for both");

// Readings up to this value always give key 0, whatever its window.
static constexpr int kKeyZeroFloor = 5;

static std::string RangeText(ReadingRange r) {
    return r.low == r.high ? ReadingHex(r.low) : ReadingHex(r.low) + "-" + ReadingHex(r.high);
}

static std::string WindowText(int threshold) {
    return RangeText({threshold - kWindowWidth, threshold});
}

// "0x60-0x67 and 0x79-0x7a": the runs of consecutive readings among those given, in order.
static std::string RunsText(const std::vector<int>& readings) {
    std::string text;
    for (size_t i = 0; i < readings.size();) {
        size_t j = i;
        while (j + 1 < readings.size() && readings[j + 1] == readings[j] + 1) ++j;
        text += (text.empty() ? "" : " and ") + RangeText({readings[i], readings[j]});
        i = j + 1;
    }
    return text;
}

// The lowest reading of the range that the key's window must hold: the readings 0 to 5 give key
// 0 whatever its window.
static int HeldFrom(int slot, ReadingRange r) {
    if (slot != 0 || r.low > kKeyZeroFloor) return r.low;
    return r.high <= kKeyZeroFloor ? kKeyZeroFloor : kKeyZeroFloor + 1;
}

void ThresholdBounds(int slot, ReadingRange r, int& lowest, int& highest) {
    lowest = std::max(r.high, kWindowWidth);
    highest = std::min(HeldFrom(slot, r) + kWindowWidth, kFullScale);
}

// A key's range as an item of the window placement, which prefers the range centred.
static WindowItem RangeItem(int slot, ReadingRange r) {
    WindowItem item = {slot, kWindowWidth, 0, 0, 0, 0};
    ThresholdBounds(slot, r, item.lowest, item.highest);
    item.preferred = (HeldFrom(slot, r) + r.high + 1) / 2 + kWindowWidth / 2;
    return item;
}

static bool Overlap(ReadingRange a, ReadingRange b) {
    return std::max(a.low, b.low) <= std::min(a.high, b.high);
}

void LadderRanges(const Ladder& ladder, ReadingRange ranges[kKeySlots], int& smallestGap,
                  int& gapBelow, int& gapAbove) {
    std::vector<std::pair<ReadingRange, int>> order;
    for (int k = 0; k < kKeySlots; ++k) {
        const LadderSlot& s = ladder.slots[k];
        if (!s.present) continue;
        ranges[k] = WorstCase(s.milliohms, s.tolerance, ladder.pullUp, ladder.pullUpTolerance,
                              ladder.adcError);
        order.push_back({ranges[k], k});
    }
    order.push_back({RestRange(ladder.adcError), kRestSlot});
    std::stable_sort(order.begin(), order.end(), [](const auto& a, const auto& b) {
        return a.first.low < b.first.low ||
               (a.first.low == b.first.low && a.first.high < b.first.high);
    });
    smallestGap = kFullScale + 1;
    gapBelow = gapAbove = kRestSlot;
    for (size_t i = 1; i < order.size(); ++i) {
        const int gap = order[i].first.low - order[i - 1].first.high - 1;
        if (gap < smallestGap) {
            smallestGap = gap;
            gapBelow = order[i - 1].second;
            gapAbove = order[i].second;
        }
    }
}

// The tolerance, among those resistors are sold in, that would let the key's range fit a window.
static std::string ToleranceAdvice(const Ladder& ladder, int slot) {
    static const int kTolerances[] = {1000, 500, 200, 100, 50, 25, 10, 5, 2, 1};
    const LadderSlot& s = ladder.slots[slot];
    const int now = std::max(s.tolerance, ladder.pullUpTolerance);
    for (int t : kTolerances) {
        if (t >= now) continue;
        const ReadingRange r = WorstCase(s.milliohms, std::min(s.tolerance, t), ladder.pullUp,
                                         std::min(ladder.pullUpTolerance, t), ladder.adcError);
        const WindowItem item = RangeItem(slot, r);
        if (item.lowest > item.highest) continue;
        return "tolerance " + ToleranceText(t) +
               (ladder.pullUpTolerance > t && s.tolerance > t ? " (the pull-up's too)"
                : ladder.pullUpTolerance > t                  ? " on the pull-up"
                                                              : "") +
               " would fit them";
    }
    return "no tolerance fits them with adc-error " + std::to_string(ladder.adcError);
}

namespace {

struct Checker {
    const Ladder& ladder;
    const LadderLayout& layout;
    LadderAnalysis& a;
    std::set<std::pair<int, int>> apart;  // pairs of slots (or the rest) already found too close

    LadderKey* Key(int slot) {
        for (LadderKey& k : a.keys) {
            if (k.slot == slot) return &k;
        }
        return nullptr;
    }
    int LayoutLine(int slot) const {
        return slot >= 0 && layout.line[slot] != 0 ? layout.line[slot] : layout.groupLine;
    }
    // What gives key j: its window, or for key 0 without one, the readings 0 to 5.
    std::string Owned(int j) const {
        const int t = layout.threshold[j];
        return t >= kWindowWidth ? "key " + std::to_string(j) + "'s window " + WindowText(t)
                                 : "the readings 0x00-0x05 that give key 0 whatever its window";
    }
    std::string ItemName(const WindowItem& item) {
        if (item.key == kRestItem) return "the panel at rest (" + RangeText(a.rest) + ")";
        const LadderKey& k = *Key(item.key);
        if (!k.onLadder) {
            return "key " + std::to_string(k.slot) + " (not on the ladder; its window " +
                   WindowText(k.threshold) + " kept)";
        }
        return "key " + std::to_string(k.slot) + " (worst case " + RangeText(k.worst) + ")";
    }

    void Ranges();
    void Placement();
    void Windows(LadderKey& key);
    void Rest();
    void Phantoms();
};

}  // namespace

// What the ladder alone decides: ranges too wide for any window, and ranges that overlap.
void Checker::Ranges() {
    for (LadderKey& k : a.keys) {
        if (!k.onLadder) continue;
        const WindowItem item = RangeItem(k.slot, k.worst);
        if (item.lowest > item.highest) {
            AddFinding(a.ladderFindings, k.ladderLine, kError,
                       "key %d's worst-case readings %s span %d counts: no 16-count window holds "
                       "them; %s",
                       k.slot, RangeText(k.worst).c_str(), k.worst.high - k.worst.low,
                       ToleranceAdvice(ladder, k.slot).c_str());
        }
        for (const LadderKey& j : a.keys) {
            if (j.slot >= k.slot) break;
            if (!j.onLadder || !Overlap(j.worst, k.worst)) continue;
            AddFinding(a.ladderFindings, k.ladderLine, kError,
                       "the worst-case readings of keys %d (%s) and %d (%s) overlap: no "
                       "thresholds tell them apart",
                       j.slot, RangeText(j.worst).c_str(), k.slot, RangeText(k.worst).c_str());
            apart.insert({j.slot, k.slot});
        }
        if (Overlap(k.worst, a.rest)) {
            AddFinding(a.ladderFindings, k.ladderLine, kError,
                       "key %d's worst-case readings %s overlap the panel at rest (%s): no "
                       "threshold tells the key from no key",
                       k.slot, RangeText(k.worst).c_str(), RangeText(a.rest).c_str());
            apart.insert({kRestSlot, k.slot});
        }
    }
}

// Thresholds that centre every range in its window, with no two windows overlapping and the
// rest reading in none; the keys that are only in the layout keep their windows.
void Checker::Placement() {
    std::vector<WindowItem> items;
    for (const LadderKey& k : a.keys) {
        if (k.onLadder) {
            items.push_back(RangeItem(k.slot, k.worst));
        } else if (k.threshold >= kWindowWidth) {
            const int t = k.threshold;
            items.push_back({k.slot, kWindowWidth, t, t, t, t});
        }
    }
    items.push_back(
        {kRestItem, kFullScale - a.rest.low, kFullScale, kFullScale, kFullScale, kFullScale});
    std::vector<std::pair<int, int>> conflicts;
    a.placed = PlaceWindows(items, conflicts);
    for (const WindowItem& item : items) {
        if (item.key != kRestItem && a.placed && Key(item.key)->onLadder)
            Key(item.key)->proposed = item.threshold;
    }
    for (const std::pair<int, int>& c : conflicts) {
        const WindowItem& x = items[c.first];
        const WindowItem& y = items[c.second];
        const std::pair<int, int> slots = std::minmax(x.key, y.key);
        if (c.first == c.second || apart.count(slots) != 0) continue;  // said already
        apart.insert(slots);
        const LadderKey* onLadder = Key(slots.second);
        if (!onLadder->onLadder && slots.first != kRestSlot) onLadder = Key(slots.first);
        Findings& f = onLadder->onLadder ? a.ladderFindings : a.layoutFindings;
        AddFinding(f, onLadder->onLadder ? onLadder->ladderLine : LayoutLine(onLadder->slot),
                   kError,
                   "%s and %s are too close: no two 16-count windows that do not overlap "
                   "hold them",
                   ItemName(x).c_str(), ItemName(y).c_str());
    }
}

// The key's range against the layout's windows, as the daemon matches them.
void Checker::Windows(LadderKey& key) {
    const int k = key.slot;
    const int t = key.threshold;
    std::vector<int> lost;
    std::vector<int> wrong[kKeySlots];
    for (int r = key.worst.low; r <= key.worst.high; ++r) {
        const int owner = layout.owners[r];
        if (owner != k) (owner < 0 ? lost : wrong[owner]).push_back(r);
    }
    key.held = lost.empty();
    if (!lost.empty() && t >= kWindowWidth) {
        AddFinding(a.layoutFindings, key.layoutLine, kError,
                   "key %d's worst-case readings %s leave its window %s at %s: the daemon gives "
                   "those to no key, so presses are lost at the extremes",
                   k, RangeText(key.worst).c_str(), WindowText(t).c_str(), RunsText(lost).c_str());
    } else if (!lost.empty()) {
        AddFinding(a.layoutFindings, key.layoutLine, kError,
                   "key %d has no window (KeyThreshold 0x%02x is below 0x10): the daemon gives "
                   "its worst-case readings %s to no key at %s, so its presses are lost",
                   k, t, RangeText(key.worst).c_str(), RunsText(lost).c_str());
    }
    for (int j = 0; j < kKeySlots; ++j) {
        if (wrong[j].empty()) continue;
        key.held = false;
        AddFinding(a.layoutFindings, key.layoutLine, kError,
                   "key %d's worst-case readings %s reach into %s at %s: the daemon reports key "
                   "%d there, the wrong key",
                   k, RangeText(key.worst).c_str(), Owned(j).c_str(), RunsText(wrong[j]).c_str(),
                   j);
    }
    if (!key.held) return;
    // Held with no window: key 0 on the readings 0 to 5 alone.
    const int top = t >= kWindowWidth ? t : kKeyZeroFloor;
    key.marginAbove = top - key.worst.high;
    key.marginBelow =
        k == 0 && key.worst.low <= kKeyZeroFloor ? kNoMargin : key.worst.low - (t - kWindowWidth);
    const bool below = key.marginBelow != kNoMargin && key.marginBelow < key.marginAbove;
    const int margin = below ? key.marginBelow : key.marginAbove;
    if (margin < kSafeMargin && t >= kWindowWidth) {
        AddFinding(a.layoutFindings, key.layoutLine, kWarning,
                   "key %d's worst-case readings %s come within %d count%s of its window %s: "
                   "ageing and temperature beyond the resistors' tolerance will cross the %s "
                   "edge",
                   k, RangeText(key.worst).c_str(), margin, margin == 1 ? "" : "s",
                   WindowText(t).c_str(), below ? "lower" : "upper");
    } else if (margin < kSafeMargin) {
        AddFinding(a.layoutFindings, key.layoutLine, kWarning,
                   "key 0's worst-case readings %s come within %d count%s of 0x05, the last "
                   "reading that gives key 0 without a window: ageing and temperature beyond the "
                   "resistors' tolerance will cross it",
                   RangeText(key.worst).c_str(), margin, margin == 1 ? "" : "s");
    }
}

// The panel at rest must give no key.
void Checker::Rest() {
    std::vector<int> given[kKeySlots];
    for (int r = a.rest.low; r <= a.rest.high; ++r) {
        if (layout.owners[r] >= 0) given[layout.owners[r]].push_back(r);
    }
    for (int j = 0; j < kKeySlots; ++j) {
        if (given[j].empty()) continue;
        AddFinding(a.layoutFindings, LayoutLine(j), kError,
                   "the panel at rest reads %s, and %s of it lies in %s: the daemon reports key "
                   "%d with no key pressed",
                   RangeText(a.rest).c_str(), RunsText(given[j]).c_str(), Owned(j).c_str(), j);
    }
}

// Two keys of a key ladder pressed together put their resistors in parallel: a reading in a
// third key's window is that key, which nobody pressed.
void Checker::Phantoms() {
    for (const LadderKey& x : a.keys) {
        for (const LadderKey& y : a.keys) {
            if (y.slot <= x.slot || !x.onLadder || !y.onLadder) continue;
            const LadderSlot& sx = ladder.slots[x.slot];
            const LadderSlot& sy = ladder.slots[y.slot];
            const ReadingRange both =
                ParallelWorstCase(sx.milliohms, sx.tolerance, sy.milliohms, sy.tolerance,
                                  ladder.pullUp, ladder.pullUpTolerance, ladder.adcError);
            std::vector<int> third[kKeySlots];
            for (int r = both.low; r <= both.high; ++r) {
                const int owner = layout.owners[r];
                if (owner >= 0 && owner != x.slot && owner != y.slot) third[owner].push_back(r);
            }
            for (int j = 0; j < kKeySlots; ++j) {
                if (third[j].empty()) continue;
                a.phantoms.push_back(
                    {x.slot, y.slot, both, j, {third[j].front(), third[j].back()}});
                AddFinding(a.ladderFindings, y.ladderLine, kWarning,
                           "keys %d and %d pressed together read %s, and %s of that lies in %s: "
                           "the daemon reports key %d, a phantom third key",
                           x.slot, y.slot, RangeText(both).c_str(), RunsText(third[j]).c_str(),
                           Owned(j).c_str(), j);
            }
        }
    }
}

void AnalyseLadder(const Ladder& ladder, const LadderLayout& layout, LadderAnalysis& a) {
    a = LadderAnalysis();
    a.rest = RestRange(ladder.adcError);
    ReadingRange ranges[kKeySlots] = {};
    LadderRanges(ladder, ranges, a.smallestGap, a.gapBelow, a.gapAbove);
    Checker c = {ladder, layout, a, {}};

    // A group the daemon reads no key of makes every other finding moot.
    const bool usable = layout.enabled && layout.levels <= kKeySlots;
    if (!layout.enabled) {
        AddFinding(a.layoutFindings, layout.groupLine, kError,
                   "ADC group %d is not enabled: the daemon reads none of its keys", layout.group);
    } else if (!usable) {
        AddFinding(a.layoutFindings, layout.groupLine, kError,
                   "ADC group %d has KeyLevelNum %d: the daemon matches no key of it", layout.group,
                   layout.levels);
    }
    for (int k = 0; k < kKeySlots; ++k) {
        const LadderSlot& s = ladder.slots[k];
        const bool inLayout = k < layout.levels && layout.line[k] != 0;
        if (!s.present && !inLayout) continue;
        LadderKey key = {
            k,         s.present,           inLayout, s.line,    c.LayoutLine(k), s.milliohms, 0,
            ranges[k], layout.threshold[k], false,    kNoMargin, kNoMargin,       -1};
        if (s.present) key.nominal = LadderReading(s.milliohms, ladder.pullUp);
        a.keys.push_back(key);
    }
    c.Ranges();
    c.Placement();
    for (LadderKey& key : a.keys) {
        if (!usable) continue;
        if (key.onLadder && key.inLayout) {
            c.Windows(key);
        } else if (key.onLadder) {
            const std::string why = key.slot < layout.levels
                                        ? "no <key_pad> for it"
                                        : "KeyLevelNum " + std::to_string(layout.levels);
            AddFinding(a.ladderFindings, key.ladderLine, kError,
                       "key %d (%s to ground) is on the ladder, but the layout's group %d has %s",
                       key.slot, ResistanceText(key.milliohms).c_str(), layout.group, why.c_str());
        } else {
            AddFinding(a.layoutFindings, key.layoutLine, kError,
                       "key %d is not on the ladder: the ladder has no slot %d", key.slot,
                       key.slot);
        }
    }
    if (usable) c.Rest();
    if (usable && !ladder.chained) c.Phantoms();
    SortFindings(a.layoutFindings);
    SortFindings(a.ladderFindings);
}
