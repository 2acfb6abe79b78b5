#include "calibrate_picture.h"

#include <math.h>

#include <algorithm>

#include "key_names.h"
#include "reading_chart.h"
#include "reading_owners.h"

// A histogram in the row's readings strip: a bar at each reading, as high as the square root
// of its samples allows (a press held for seconds does not flatten the rest); colourOf gives
// each reading its colour.
template <typename ColourOf>
static void Histogram(ReadingChart& chart, int row, const std::vector<uint64_t>& samples,
                      ColourOf colourOf) {
    uint64_t most = 0;
    for (uint64_t n : samples) most = std::max(most, n);
    if (most == 0) return;
    const double bottom =
        ChartStripTop(chart, row, kStripReadings) + ChartStripHeight(kStripReadings);
    for (int r = 0; r < kReadings; ++r) {
        if (samples[r] == 0) continue;
        const double h = 3 + (ChartStripHeight(kStripReadings) - 3) *
                                 sqrt(static_cast<double>(samples[r]) / static_cast<double>(most));
        const double x0 = ChartX(r - 0.45);
        SvgRect(chart.svg, x0, bottom - h, ChartX(r + 0.45) - x0, h, colourOf(r));
    }
}

std::string DrawCalibratePicture(const std::vector<CalibrateGroupPicture>& groups, bool named,
                                 const std::string& title) {
    auto any = [](const std::vector<uint64_t>& v) {
        return std::any_of(v.begin(), v.end(), [](uint64_t n) { return n != 0; });
    };
    std::vector<int> groupRows;
    int rows = 0;
    for (const CalibrateGroupPicture& g : groups) {
        groupRows.push_back(static_cast<int>(g.keys.size()) + any(g.unmatched) + !g.marks.empty());
        rows += groupRows.back();
    }
    ReadingChart chart;
    BeginReadingChart(chart, title, std::max(rows, 1),
                      {{kSvgInk, 0.8, false, "samples of presses"},
                       LegendWindow(),
                       LegendProposed(),
                       LegendRest(),
                       LegendError(),
                       LegendWarning()});
    int row = 0;
    for (size_t i = 0; i < groups.size(); ++i) {
        const CalibrateGroupPicture& g = groups[i];
        const std::string group = named ? "group " + std::to_string(g.group) + " " : "";
        if (g.restLow <= 255) {
            ChartRest(chart, row, groupRows[i], static_cast<int>(g.restLow),
                      static_cast<int>(std::min<uint32_t>(g.restHigh, 255)));
        }
        for (const CalibrateKeyPicture& k : g.keys) {
            bool lost = false, thin = false;
            Histogram(chart, row, k.samples, [&](int r) {
                if (g.owners[r] != k.slot) return lost = true, kSvgError;
                if (NearWindowEdge(g.owners, k.slot, r, kSafeMargin)) {
                    return thin = true, kSvgWarning;
                }
                return kSvgInk;
            });
            ChartOwnedWindow(chart, row, g.owners, k.slot);
            if (k.proposed >= kWindowWidth) {
                ChartSpan(chart, row, kStripProposed, k.proposed - kWindowWidth, k.proposed,
                          kSvgSky, 0.8);
            }
            const char* name = KeyName(k.code);
            ChartRowLabel(chart, row++,
                          group + "key " + std::to_string(k.slot) + " " +
                              (name ? name : "code " + std::to_string(k.code)),
                          lost   ? kSvgError
                          : thin ? kSvgWarning
                                 : kSvgInk);
        }
        if (any(g.unmatched)) {
            Histogram(chart, row, g.unmatched, [](int) { return kSvgError; });
            ChartRowLabel(chart, row++, group + "presses of no key", kSvgError);
        }
        if (!g.marks.empty()) {
            // The worst that any mark says of each reading, drawn in runs: however many
            // transits a recording holds, the row stays 256 readings wide.
            int worst[kReadings + 1];
            for (int& w : worst) w = -1;
            bool error = false;
            for (const CalibrateMark& m : g.marks) {
                for (uint32_t r = m.low; r <= m.high && r < kReadings; ++r) {
                    worst[r] = std::max(worst[r], static_cast<int>(m.severity));
                }
                error |= m.severity == kError;
            }
            for (int r = 0, from = 0; r <= kReadings; ++r) {
                if (r > 0 && (r == kReadings || worst[r] != worst[r - 1])) {
                    if (worst[r - 1] >= 0) {
                        ChartSpan(chart, row, kStripReadings, from, r - 1,
                                  worst[r - 1] == kError ? kSvgError : kSvgWarning);
                    }
                    from = r;
                }
            }
            ChartRowLabel(chart, row++, group + "transits and slides",
                          error ? kSvgError : kSvgWarning);
        }
    }
    return EndReadingChart(chart);
}
