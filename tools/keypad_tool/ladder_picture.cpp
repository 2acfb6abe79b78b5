#include "ladder_picture.h"

#include <vector>

#include "key_names.h"
#include "reading_chart.h"
#include "reading_owners.h"

enum ReadingClass { kFine, kThin, kWrong };

static const char* ClassColour(ReadingClass c) {
    return c == kWrong ? kSvgError : c == kThin ? kSvgWarning : kSvgInk;
}

// How one worst-case reading of a key fares: given to another key or none, claimed by another
// key's range or the rest reading, within a few counts of its window's edge, or fine.
static ReadingClass Classify(const LadderAnalysis& a, const LadderLayout& layout,
                             const LadderKey& k, int r) {
    if (!k.inLayout || layout.owners[r] != k.slot) return kWrong;
    if (r >= a.rest.low && r <= a.rest.high) return kWrong;
    for (const LadderKey& o : a.keys) {
        if (&o != &k && o.onLadder && r >= o.worst.low && r <= o.worst.high) return kWrong;
    }
    if (NearWindowEdge(layout.owners, k.slot, r, kSafeMargin)) return kThin;
    return kFine;
}

std::string DrawLadderPicture(const LadderAnalysis& a, const LadderLayout& layout,
                              const uint32_t codes[kKeySlots], const std::string& title) {
    ReadingChart chart;
    BeginReadingChart(chart, title, static_cast<int>(a.keys.size()),
                      {{kSvgInk, 0.8, false, "worst-case range"},
                       {kSvgInk, 1, true, "nominal"},
                       LegendWindow(),
                       LegendProposed(),
                       LegendRest(),
                       {kSvgError, 1, false, "lost or claimed by another"},
                       {kSvgWarning, 1, false, "within 3 counts of an edge"}});
    ChartRest(chart, 0, chart.rows, a.rest.low, a.rest.high);
    for (size_t row = 0; row < a.keys.size(); ++row) {
        const LadderKey& k = a.keys[row];
        const int r = static_cast<int>(row);
        const char* name = k.inLayout && codes[k.slot] != 0 ? KeyName(codes[k.slot]) : nullptr;
        std::string label = "key " + std::to_string(k.slot) + " ";
        label += !k.inLayout ? "(not in the layout)"
                 : name      ? name
                             : "code " + std::to_string(codes[k.slot]);
        if (!k.onLadder) label += " (not on the ladder)";
        bool wrong = false;
        if (k.onLadder) {
            // The range in runs of readings that fare alike.
            int from = k.worst.low;
            ReadingClass run = Classify(a, layout, k, from);
            for (int reading = k.worst.low; reading <= k.worst.high + 1; ++reading) {
                const ReadingClass c =
                    reading <= k.worst.high ? Classify(a, layout, k, reading) : kFine;
                if (reading <= k.worst.high && c == run) continue;
                ChartSpan(chart, r, kStripReadings, from, reading - 1, ClassColour(run),
                          run == kFine ? 0.8 : 1.0);
                wrong |= run == kWrong;
                from = reading;
                run = c;
            }
            const double x = ChartX(k.nominal);
            const double y = ChartStripTop(chart, r, kStripReadings);
            SvgLine(chart.svg, x, y - 2, x, y + ChartStripHeight(kStripReadings) + 2, kSvgInk, 2);
        }
        // The window as the daemon's own matching gives it, then the proposal.
        if (k.inLayout) ChartOwnedWindow(chart, r, layout.owners, k.slot);
        if (k.proposed >= 0) {
            ChartSpan(chart, r, kStripProposed, k.proposed - kWindowWidth, k.proposed, kSvgSky,
                      0.8);
        }
        ChartRowLabel(chart, r, label, wrong ? kSvgError : kSvgInk);
    }
    return EndReadingChart(chart);
}
