#include "replay_picture.h"

#include <stdio.h>

#include <algorithm>

#include "key_names.h"
#include "key_pars/key_pars.h"
#include "reading_owners.h"
#include "replay_engine.h"
#include "svg_writer.h"

static constexpr double kWidth = 1200;
static constexpr double kLeft = 78;    // the reading axis and the bands' names
static constexpr double kRight = 150;  // the windows' key names
static constexpr double kPlotWidth = kWidth - kLeft - kRight;
static constexpr double kAdcBand = 200;  // 0..255
static constexpr double kGpioBand = 34;
static constexpr double kBandGap = 30;
static constexpr double kLabelRow = 13;
static constexpr int kLabelRows = 8;
static constexpr uint32_t kIdleReading = 0xff;

static std::string CodeName(uint32_t code) {
    const char* name = KeyName(code);
    return name ? name : "code " + std::to_string(code);
}

void BeginReplayPicture(ReplayPicture& picture, const std::string& title) {
    picture = ReplayPicture();
    picture.title = title;
    picture.keyLock.push_back({0, 0, false});
    // With GPIO keys set up the daemon never samples the ADC groups: their bands would only
    // mislead.
    for (int g = 0; g < kAdcGroupCount && ReplayWorkerMode() != kReplayGpio; ++g) {
        if (keyGroups[g].enable == 0) continue;
        PictureChannel channel{keyGroups[g].channel_id, {{0, kIdleReading, false}}, {}};
        // The windows as the daemon's own matching gives them: each run of readings of one key.
        int8_t owners[kReadings];
        ReadingOwners(g, owners);
        for (int r = 0; r < kReadings; ++r) {
            if (owners[r] < 0) continue;
            const uint32_t code = keyGroups[g].KeyCode[owners[r]];
            if (r > 0 && owners[r - 1] == owners[r]) {
                channel.windows.back().high = static_cast<uint32_t>(r);
            } else {
                channel.windows.push_back(
                    {static_cast<uint32_t>(r), static_cast<uint32_t>(r), code});
            }
        }
        picture.channels.push_back(channel);
    }
    if (gpioKeys.enable != 0) {
        for (int k = 0; k < gpioKeys.KeyLevelNum && k < kKeySlots; ++k) {
            const uint32_t line = gpioKeys.GroupNum[k] * 8u + gpioKeys.PinNum[k];
            picture.lines.push_back({line, gpioKeys.KeyCode[k], {{0, 1, false}}});
        }
    }
}

void NoteReplayStep(ReplayPicture& picture, const TraceStep& step) {
    picture.endMs = std::max(picture.endMs, step.ms);
    switch (step.kind) {
        case kTraceAdc:
        case kTraceAdcFail:
            for (PictureChannel& c : picture.channels) {
                if (c.channel == step.target) {
                    c.levels.push_back({step.ms, step.value, step.kind == kTraceAdcFail});
                }
            }
            break;
        case kTraceGpio:
            for (PictureLine& l : picture.lines) {
                if (l.line == step.target) l.levels.push_back({step.ms, step.value, false});
            }
            break;
        case kTraceKeyLock:
            picture.keyLock.push_back({step.ms, step.value, false});
            break;
        case kTraceProp:
            picture.properties.push_back({step.ms, std::string(step.name) + "=" + step.text});
            break;
        case kTraceStall:
            picture.stalls.push_back({step.ms, step.value});
            break;
    }
}

void NoteReplayEvent(ReplayPicture& picture, const ReplayEvent& event) {
    picture.events.push_back(event);
    picture.endMs = std::max(picture.endMs, event.ms);
}

namespace {

// Time on the x axis of the picture's from..to.
struct TimeAxis {
    uint64_t from, to;
    double X(uint64_t ms) const {
        const uint64_t clamped = std::min(std::max(ms, from), to);
        return kLeft +
               kPlotWidth * static_cast<double>(clamped - from) / static_cast<double>(to - from);
    }
    bool Shows(uint64_t ms) const { return ms >= from && ms <= to; }
};

// Labels above the bands, in rows: each goes into the first row where it clears the one before;
// a label no row has room for is left out (its mark stays).
struct LabelRows {
    double end[kLabelRows];
    int used = 0;
    int omitted = 0;
    LabelRows() {
        for (double& e : end) e = -1e9;
    }
    int Place(double x, double width) {
        for (int r = 0; r < kLabelRows; ++r) {
            if (end[r] + 6 <= x) {
                end[r] = x + width;
                used = std::max(used, r + 1);
                return r;
            }
        }
        ++omitted;
        return -1;
    }
};

struct Label {
    double x;  // where the text starts
    int row;
    std::string text;
    const char* colour;
};

// A label for a mark at x starts just right of it, or ends just left of it near the right edge.
void PlaceLabel(LabelRows& rows, std::vector<Label>& labels, double x, const std::string& text,
                const char* colour) {
    const double width = SvgTextWidth(text, 10);
    const double start = x + 2 + width > kWidth - 4 ? x - 2 - width : x + 2;
    const int row = rows.Place(start - 4, width + 8);
    if (row >= 0) labels.push_back({start, row, text, colour});
}

// The step line of a band's levels: exact while there are fewer levels than pixels, otherwise
// the lowest and highest reading of each pixel column, so that no spike is lost.
void DrawLevels(Svg& svg, const std::vector<Level>& levels, const TimeAxis& axis, double top,
                double height, double full, const char* colour) {
    auto y = [&](uint32_t v) { return top + height - height * std::min<uint32_t>(v, full) / full; };
    const int columns = static_cast<int>(kPlotWidth);
    size_t shown = 0;
    for (const Level& l : levels) shown += axis.Shows(l.ms);
    std::string d;
    if (shown < static_cast<size_t>(columns)) {
        bool drawing = false;
        for (size_t i = 0; i < levels.size(); ++i) {
            const uint64_t end = i + 1 < levels.size() ? levels[i + 1].ms : axis.to;
            if (end < axis.from || levels[i].ms > axis.to) continue;
            if (levels[i].failed) {
                drawing = false;
                continue;
            }
            const double x0 = axis.X(levels[i].ms), x1 = axis.X(end), yv = y(levels[i].value);
            d += drawing ? "V" + SvgNum(yv) : "M" + SvgNum(x0) + " " + SvgNum(yv);
            d += "H" + SvgNum(x1);
            drawing = true;
        }
    } else {
        std::vector<Column> cols = ReduceToColumns(levels, axis.from, axis.to, columns);
        for (int c = 0; c < columns; ++c) {
            if (!cols[c].any) continue;
            const double x = kLeft + c + 0.5;
            d += "M" + SvgNum(x) + " " + SvgNum(y(cols[c].high) - 0.5) + "V" +
                 SvgNum(y(cols[c].low) + 0.5);
        }
    }
    SvgPath(svg, d, colour, 1.2);
    // Failed reads, one mark a pixel column at most.
    int lastColumn = -1;
    for (size_t i = 0; i < levels.size(); ++i) {
        const uint64_t end = i + 1 < levels.size() ? levels[i + 1].ms : axis.to;
        if (!levels[i].failed || end < axis.from || levels[i].ms > axis.to) continue;
        const int column = static_cast<int>(axis.X(levels[i].ms) - kLeft);
        if (column == lastColumn) continue;
        lastColumn = column;
        SvgCircle(svg, axis.X(levels[i].ms), top + height - 5, 3, kSvgError);
    }
}

// Spans where a level is on (key lock), merged where they meet within a pixel.
void DrawSpans(Svg& svg, const std::vector<std::pair<uint64_t, uint64_t>>& spans,
               const TimeAxis& axis, double top, double height, const char* colour,
               double opacity) {
    double openX = -1, closeX = -1;
    for (const auto& span : spans) {
        if (span.first > axis.to || span.first + span.second < axis.from) continue;
        const double x0 = axis.X(span.first),
                     x1 = std::max(axis.X(span.first + span.second), x0 + 1);
        if (openX >= 0 && x0 <= closeX + 1) {
            closeX = std::max(closeX, x1);
            continue;
        }
        if (openX >= 0) SvgRect(svg, openX, top, closeX - openX, height, colour, opacity);
        openX = x0;
        closeX = x1;
    }
    if (openX >= 0) SvgRect(svg, openX, top, closeX - openX, height, colour, opacity);
}

}  // namespace

std::string DrawReplayPicture(const ReplayPicture& picture, uint64_t from, uint64_t to) {
    if (to == 0 || to > picture.endMs) to = std::max(picture.endMs, from);
    if (to <= from) to = from + 1;
    const TimeAxis axis{from, to};

    // The labels of events and property changes, placed before anything is drawn so that the
    // lane above the bands is as tall as they need.
    LabelRows rows;
    std::vector<Label> labels;
    std::vector<std::pair<double, const ReplayEvent*>> marks;
    double lastMark[2] = {-1e9, -1e9};  // of a key-up and of a key-down
    for (const ReplayEvent& e : picture.events) {
        if (!axis.Shows(e.ms)) continue;
        const double x = axis.X(e.ms);
        if (x - lastMark[e.value == 1] >= 1) {
            marks.push_back({x, &e});
            lastMark[e.value == 1] = x;
        }
        PlaceLabel(rows, labels, x, CodeName(e.code) + (e.value == 1 ? " down" : " up"), kSvgInk);
    }
    for (const PictureMark& p : picture.properties) {
        if (axis.Shows(p.ms)) PlaceLabel(rows, labels, axis.X(p.ms), p.text, kSvgGreen);
    }
    const double laneTop = 56;
    const double plotTop = laneTop + std::max(rows.used, 1) * kLabelRow + 6;
    double bottom = plotTop;
    for (size_t i = 0; i < picture.channels.size(); ++i) bottom += kBandGap + kAdcBand;
    for (size_t i = 0; i < picture.lines.size(); ++i) bottom += kBandGap + kGpioBand;
    const double height = bottom + 50;

    Svg svg;
    SvgBegin(svg, kWidth, height, picture.title);
    SvgText(svg, kLeft, 22, picture.title, 14, kSvgStart, kSvgInk, true);
    // The legend names only what the picture shows.
    bool failed = false, lockOn = false;
    for (const PictureChannel& c : picture.channels) {
        for (const Level& l : c.levels) failed |= l.failed;
    }
    for (const Level& l : picture.keyLock) lockOn |= l.value == 1;
    std::vector<SvgLegendItem> legend = {
        {kSvgInk, 1, true, "reading"},
        {kSvgBlue, 0.25, false, "key window"},
        {kSvgOrange, 1, true, "event sent (solid down, dashed up)"}};
    if (failed) legend.push_back({kSvgError, 1, false, "failed read"});
    if (lockOn) legend.push_back({kSvgShade, 0.45, false, "key lock on"});
    if (!picture.stalls.empty()) legend.push_back({kSvgGrid, 0.6, false, "worker stalled"});
    if (!picture.properties.empty()) legend.push_back({kSvgGreen, 1, true, "property set"});
    SvgLegend(svg, kLeft, 42, legend);

    // Key lock and stalls first, under everything else.
    std::vector<std::pair<uint64_t, uint64_t>> locked;
    for (size_t i = 0; i < picture.keyLock.size(); ++i) {
        if (picture.keyLock[i].value != 1) continue;
        const uint64_t end = i + 1 < picture.keyLock.size() ? picture.keyLock[i + 1].ms : to;
        locked.push_back({picture.keyLock[i].ms, end - std::min(end, picture.keyLock[i].ms)});
    }
    DrawSpans(svg, locked, axis, laneTop, bottom - laneTop, kSvgShade, 0.45);
    DrawSpans(svg, picture.stalls, axis, plotTop, bottom - plotTop, kSvgGrid, 0.6);

    // Time grid and axis.
    const std::vector<double> ticks =
        TimeTicks(static_cast<double>(from), static_cast<double>(to), 10);
    for (double t : ticks) {
        const double x = axis.X(static_cast<uint64_t>(t));
        SvgLine(svg, x, plotTop, x, bottom + 4, kSvgGrid, 0.6);
        SvgText(svg, x, bottom + 18, TimeTickLabel(t, static_cast<double>(to - from)), 10,
                kSvgMiddle);
    }
    SvgLine(svg, kLeft, bottom, kLeft + kPlotWidth, bottom, kSvgInk);
    SvgText(svg, kLeft + kPlotWidth / 2, bottom + 36, "time since the daemon started", 11,
            kSvgMiddle);

    // Every event as a mark through the bands (one a pixel column for each direction), under
    // the readings, so that a busy stretch still shows them.
    for (const auto& m : marks) {
        SvgLine(svg, m.first, plotTop, m.first, bottom, kSvgOrange, 1.2, m.second->value != 1);
    }
    double lastProperty = -1e9;  // one mark a pixel column
    for (const PictureMark& p : picture.properties) {
        if (!axis.Shows(p.ms) || axis.X(p.ms) - lastProperty < 1) continue;
        lastProperty = axis.X(p.ms);
        SvgLine(svg, lastProperty, laneTop, lastProperty, bottom, kSvgGreen, 1, true);
    }
    double top = plotTop;
    for (const PictureChannel& c : picture.channels) {
        top += kBandGap;
        SvgText(svg, kLeft, top - 8, "LSADC channel " + std::to_string(c.channel), 11, kSvgStart,
                kSvgInk, true);
        SvgRect(svg, kLeft, top, kPlotWidth, kAdcBand, "none", 1, kSvgGrid);
        auto y = [&](double v) { return top + kAdcBand - kAdcBand * v / 255.0; };
        double labelBelow = -1e9;
        for (const PictureWindow& w : c.windows) {
            const double y0 = y(w.high + 0.5), y1 = y(w.low > 0 ? w.low - 0.5 : 0);
            SvgRect(svg, kLeft, y0, kPlotWidth, y1 - y0, kSvgBlue, 0.18);
        }
        // Key names beside their windows, top down, pushed apart where windows are narrow; a
        // key with two runs of readings (key 0 with the readings near ground) is named at its
        // widest.
        for (auto w = c.windows.rbegin(); w != c.windows.rend(); ++w) {
            bool wider = false;
            for (const PictureWindow& o : c.windows) {
                wider |= o.code == w->code && &o != &*w &&
                         (o.high - o.low > w->high - w->low ||
                          (o.high - o.low == w->high - w->low && o.low > w->low));
            }
            if (wider) continue;
            const double mid = (y(w->high + 0.5) + y(w->low > 0 ? w->low - 0.5 : 0)) / 2 + 3.5;
            const double at = std::max(mid, labelBelow + 11);
            labelBelow = at;
            SvgText(svg, kLeft + kPlotWidth + 6, at, CodeName(w->code), 10, kSvgStart, kSvgBlue);
        }
        for (uint32_t v : {0x00u, 0x40u, 0x80u, 0xc0u, 0xffu}) {
            SvgLine(svg, kLeft - 4, y(v), kLeft, y(v), kSvgInk);
            SvgText(svg, kLeft - 7, y(v) + 3.5, ReadingHex(v), 10, kSvgEnd);
        }
        DrawLevels(svg, c.levels, axis, top, kAdcBand, 255, kSvgInk);
        top += kAdcBand;
    }
    for (const PictureLine& l : picture.lines) {
        top += kBandGap;
        std::string name = "GPIO line " + std::to_string(l.line);
        if (l.code != 0) name += " (" + CodeName(l.code) + ")";
        SvgText(svg, kLeft, top - 8, name, 11, kSvgStart, kSvgInk, true);
        SvgRect(svg, kLeft, top, kPlotWidth, kGpioBand, "none", 1, kSvgGrid);
        SvgText(svg, kLeft - 7, top + 8, "1", 10, kSvgEnd);
        SvgText(svg, kLeft - 7, top + kGpioBand, "0 pressed", 10, kSvgEnd);
        DrawLevels(svg, l.levels, axis, top + 4, kGpioBand - 8, 1, kSvgSky);
        top += kGpioBand;
    }

    // The labels in the lane above the bands.
    for (const Label& l : labels) {
        const double y = laneTop + (l.row + 1) * kLabelRow - 3;
        SvgText(svg, l.x, y, l.text, 10, kSvgStart, l.colour);
    }
    if (rows.omitted > 0) {
        SvgText(
            svg, kLeft + kPlotWidth, bottom + 36,
            std::to_string(rows.omitted) + " labels left out for room: --from and --to show a part",
            10, kSvgEnd);
    }
    SvgEnd(svg);
    return svg.text;
}
