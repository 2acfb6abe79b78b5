// A small writer of self-contained SVG, shared by every picture keypad-tool draws: shapes, text
// that is always escaped, a legend, and one palette whose colours stay apart for colour-blind
// readers (blue against orange, never red against green).
#pragma once

#include <string>
#include <vector>

// The palette (Okabe and Ito's colours).
extern const char kSvgInk[];      // text, axes and readings
extern const char kSvgGrid[];     // grid lines and quiet marks
extern const char kSvgBlue[];     // a layout's windows as they are
extern const char kSvgSky[];      // proposed windows, GPIO levels
extern const char kSvgOrange[];   // events the daemon sends
extern const char kSvgError[];    // what a finding calls an error (vermillion)
extern const char kSvgWarning[];  // what a finding calls a warning (reddish purple)
extern const char kSvgShade[];    // spans such as key-lock mode
extern const char kSvgGreen[];    // settings changed (bluish green)

struct Svg {
    std::string text;
    double width;
    double height;
};

enum SvgAnchor { kSvgStart, kSvgMiddle, kSvgEnd };

// A coordinate as SVG writes it: to a tenth of a pixel, no trailing ".0".
std::string SvgNum(double v);

void SvgBegin(Svg& svg, double width, double height, const std::string& title);
// Closes the document; the text is then complete.
void SvgEnd(Svg& svg);

void SvgRect(Svg& svg, double x, double y, double w, double h, const char* fill,
             double opacity = 1.0, const char* stroke = nullptr);
void SvgLine(Svg& svg, double x1, double y1, double x2, double y2, const char* stroke,
             double strokeWidth = 1.0, bool dashed = false);
// An open path through the points, as "x,y" pairs.
void SvgPolyline(Svg& svg, const std::vector<double>& xy, const char* stroke,
                 double strokeWidth = 1.0);
// A path from its "d" commands, stroked and not filled.
void SvgPath(Svg& svg, const std::string& d, const char* stroke, double strokeWidth = 1.0);
void SvgCircle(Svg& svg, double x, double y, double r, const char* fill);
void SvgText(Svg& svg, double x, double y, const std::string& text, double size = 11,
             SvgAnchor anchor = kSvgStart, const char* fill = kSvgInk, bool bold = false);

// How wide a text of that size is drawn, near enough to keep labels from overlapping.
double SvgTextWidth(const std::string& text, double size);

struct SvgLegendItem {
    const char* colour;
    double opacity;
    bool line;  // a stroke rather than a filled swatch
    std::string label;
};
// One row of swatches and labels starting at x, y; the x where the row ends.
double SvgLegend(Svg& svg, double x, double y, const std::vector<SvgLegendItem>& items);
