// The pictures drawn along the reading axis 0x00...0xff (calibrate --svg, ladder --svg): a row
// per key with its label on the left, and in each row three strips: what the readings are (a
// histogram or a worst-case range), the window as the layout has it, and the proposed window.
// The panel's rest reading runs through every row.
#pragma once

#include <string>
#include <vector>

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
// The panel's rest reading, through every row.
void ChartRest(ReadingChart& chart, int low, int high);
// The axis under the rows, and the end of the document; the SVG text.
std::string EndReadingChart(ReadingChart& chart);

// The legend entries the charts share.
SvgLegendItem LegendWindow();
SvgLegendItem LegendProposed();
SvgLegendItem LegendError();
SvgLegendItem LegendWarning();
SvgLegendItem LegendRest();
