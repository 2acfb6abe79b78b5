#include "reading_chart.h"

#include <stdio.h>

static constexpr double kWidth = 1200;
static constexpr double kLeft = 210;  // the rows' labels
static constexpr double kRight = 30;
static constexpr double kPlotWidth = kWidth - kLeft - kRight;
static constexpr double kRowHeight = 48;
static constexpr double kRowsTop = 92;
static constexpr double kStripTop[] = {4, 24, 35};
static constexpr double kStripHeight[] = {17, 9, 9};
static const char kRestShade[] = "#999999";

double ChartX(double reading) { return kLeft + kPlotWidth * (reading + 0.5) / 256.0; }

double ChartStripTop(const ReadingChart& chart, int row, ChartStrip strip) {
    return chart.top + row * kRowHeight + kStripTop[strip];
}

double ChartStripHeight(ChartStrip strip) { return kStripHeight[strip]; }

// Ticks every 16 readings, named every 32, at y (labels above when up).
static void Axis(Svg& svg, double y, bool up) {
    SvgLine(svg, ChartX(-0.5), y, ChartX(255.5), y, kSvgInk);
    for (int r = 0; r <= 256; r += 16) {
        const int reading = r == 256 ? 255 : r;
        const double x = ChartX(reading);
        SvgLine(svg, x, y, x, up ? y - 4 : y + 4, kSvgInk);
        if (r % 32 == 0 || r == 256) {
            SvgText(svg, x, up ? y - 7 : y + 15, ReadingHex(reading), 10, kSvgMiddle);
        }
    }
}

void BeginReadingChart(ReadingChart& chart, const std::string& title, int rows,
                       const std::vector<SvgLegendItem>& legend) {
    chart.rows = rows;
    chart.top = kRowsTop;
    const double bottom = kRowsTop + rows * kRowHeight;
    SvgBegin(chart.svg, kWidth, bottom + 50, title);
    SvgText(chart.svg, 12, 22, title, 14, kSvgStart, kSvgInk, true);
    SvgLegend(chart.svg, 12, 44, legend);
    Axis(chart.svg, kRowsTop - 6, true);
    for (int r = 0; r <= 256; r += 16) {
        const double x = ChartX(r == 256 ? 255 : r);
        SvgLine(chart.svg, x, kRowsTop - 6, x, bottom, kSvgGrid, 0.5);
    }
    for (int row = 0; row <= rows; ++row) {
        const double y = kRowsTop + row * kRowHeight;
        SvgLine(chart.svg, 12, y, ChartX(255.5), y, kSvgGrid, 0.5);
    }
}

void ChartRowLabel(ReadingChart& chart, int row, const std::string& text, const char* colour) {
    SvgText(chart.svg, 12, chart.top + row * kRowHeight + 20, text, 11, kSvgStart, colour, true);
}

void ChartSpan(ReadingChart& chart, int row, ChartStrip strip, int low, int high,
               const char* colour, double opacity) {
    if (high < low) return;
    const double x0 = ChartX(low - 0.5);
    SvgRect(chart.svg, x0, ChartStripTop(chart, row, strip), ChartX(high + 0.5) - x0,
            kStripHeight[strip], colour, opacity);
}

void ChartRest(ReadingChart& chart, int first, int rows, int low, int high) {
    const double x0 = ChartX(low - 0.5);
    SvgRect(chart.svg, x0, chart.top + first * kRowHeight, ChartX(high + 0.5) - x0,
            rows * kRowHeight, kRestShade, 0.35);
}

void ChartOwnedWindow(ReadingChart& chart, int row, const int8_t owners[kReadings], int slot) {
    for (int r = 0; r < kReadings; ++r) {
        if (owners[r] != slot) continue;
        int end = r;
        while (end + 1 < kReadings && owners[end + 1] == slot) ++end;
        ChartSpan(chart, row, kStripWindow, r, end, kSvgBlue, 0.8);
        r = end;
    }
}

bool NearWindowEdge(const int8_t owners[kReadings], int slot, int r, int margin) {
    int low = r, high = r;
    while (low > 0 && owners[low - 1] == slot) --low;
    while (high < kReadings - 1 && owners[high + 1] == slot) ++high;
    const bool floor = slot == 0 && low == 0;
    return (!floor && r - low < margin) || high - r < margin;
}

std::string EndReadingChart(ReadingChart& chart) {
    Axis(chart.svg, chart.top + chart.rows * kRowHeight + 6, false);
    SvgText(chart.svg, ChartX(127.5), chart.top + chart.rows * kRowHeight + 40,
            "reading of the channel (8 bits)", 11, kSvgMiddle);
    SvgEnd(chart.svg);
    return chart.svg.text;
}

SvgLegendItem LegendWindow() { return {kSvgBlue, 0.8, false, "window as the layout has it"}; }
SvgLegendItem LegendProposed() { return {kSvgSky, 0.8, false, "proposed window"}; }
SvgLegendItem LegendError() { return {kSvgError, 1, false, "error"}; }
SvgLegendItem LegendWarning() { return {kSvgWarning, 1, false, "warning"}; }
SvgLegendItem LegendRest() { return {kRestShade, 0.35, false, "rest reading"}; }
