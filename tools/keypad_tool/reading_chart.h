// The pictures drawn along the reading axis 0x00...0xff (calibrate --svg, ladder --svg): a row
// per key with its label on the left, and in each row three strips: what the readings are (a
// histogram or a worst-case range), the window as the layout has it, and the proposed window.
// The panel's rest reading runs through every row.
#pragma once

#include <stdint.h>

#include <string>
#include <vector>

#include "reading_owners.h"
#include "svg_writer.h"

enum ChartStrip { kStripReadings, kStripWindow, kStripProposed };

struct ReadingChart {
    Svg svg;
    int rows;
    double top;  // of the first row
};

// Readings r take the space from ChartX(r - 0.5) to ChartX(r + 0.5).
double ChartX(double reading);
double ChartStripTop(const ReadingChart& chart, int row, ChartStrip strip);
double ChartStripHeight(ChartStrip strip);

void BeginReadingChart(ReadingChart& chart, const std::string& title, int rows,
                       const std::vector<SvgLegendItem>& legend);
void ChartRowLabel(ReadingChart& chart, int row, const std::string& text, const char* colour);
// Readings low...high of the row's strip, filled.
void ChartSpan(ReadingChart& chart, int row, ChartStrip strip, int low, int high,
               const char* colour, double opacity = 1.0);
// The panel's rest reading, through rows first...first + rows - 1.
void ChartRest(ReadingChart& chart, int first, int rows, int low, int high);
// The readings that give the slot, as the daemon's matching (owners) has them, in the row's
// window strip.
void ChartOwnedWindow(ReadingChart& chart, int row, const int8_t owners[kReadings], int slot);
// The axis under the rows, and the end of the document; the SVG text.
std::string EndReadingChart(ReadingChart& chart);

// Whether reading r, which gives the slot, lies within margin counts of an edge of the run of
// readings that give it (readings 0 to 5 give key 0 whatever its window: no edge below them).
bool NearWindowEdge(const int8_t owners[kReadings], int slot, int r, int margin);

// The legend entries the charts share.
SvgLegendItem LegendWindow();
SvgLegendItem LegendProposed();
SvgLegendItem LegendError();
SvgLegendItem LegendWarning();
SvgLegendItem LegendRest();
