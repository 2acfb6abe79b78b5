#include "svg_writer.h"

#include <stdio.h>

const char kSvgInk[] = "#222222";
const char kSvgGrid[] = "#c8c8c8";
const char kSvgBlue[] = "#0072b2";
const char kSvgSky[] = "#56b4e9";
const char kSvgOrange[] = "#e69f00";
const char kSvgError[] = "#d55e00";
const char kSvgWarning[] = "#cc79a7";
const char kSvgShade[] = "#f0e442";
const char kSvgGreen[] = "#009e73";

// Coordinates to a tenth of a pixel: finer is invisible and only makes the file longer.
std::string SvgNum(double v) {
    char text[32];
    snprintf(text, sizeof text, "%.1f", v);
    std::string s = text;
    if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
    return s == "-0" ? "0" : s;
}

static std::string Escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            default:
                // Control characters are not allowed in XML 1.0, whatever a trace holds.
                out += static_cast<unsigned char>(c) < 0x20 && c != '\t' ? '?' : c;
        }
    }
    return out;
}

void SvgBegin(Svg& svg, double width, double height, const std::string& title) {
    svg.width = width;
    svg.height = height;
    svg.text = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    svg.text += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + SvgNum(width) +
                "\" height=\"" + SvgNum(height) + "\" viewBox=\"0 0 " + SvgNum(width) + " " +
                SvgNum(height) + "\" font-family=\"DejaVu Sans, Verdana, sans-serif\">\n";
    svg.text += "<title>" + Escaped(title) + "</title>\n";
    svg.text += "<rect width=\"100%\" height=\"100%\" fill=\"#ffffff\"/>\n";
}

void SvgEnd(Svg& svg) { svg.text += "</svg>\n"; }

void SvgRect(Svg& svg, double x, double y, double w, double h, const char* fill, double opacity,
             const char* stroke) {
    svg.text += "<rect x=\"" + SvgNum(x) + "\" y=\"" + SvgNum(y) + "\" width=\"" +
                SvgNum(w < 0 ? 0 : w) + "\" height=\"" + SvgNum(h < 0 ? 0 : h) + "\" fill=\"" +
                fill + "\"";
    if (opacity < 1.0) svg.text += " fill-opacity=\"" + SvgNum(opacity) + "\"";
    if (stroke) svg.text += std::string(" stroke=\"") + stroke + "\"";
    svg.text += "/>\n";
}

void SvgLine(Svg& svg, double x1, double y1, double x2, double y2, const char* stroke,
             double strokeWidth, bool dashed) {
    svg.text += "<line x1=\"" + SvgNum(x1) + "\" y1=\"" + SvgNum(y1) + "\" x2=\"" + SvgNum(x2) +
                "\" y2=\"" + SvgNum(y2) + "\" stroke=\"" + stroke + "\" stroke-width=\"" +
                SvgNum(strokeWidth) + "\"" + (dashed ? " stroke-dasharray=\"4 3\"" : "") + "/>\n";
}

void SvgPolyline(Svg& svg, const std::vector<double>& xy, const char* stroke, double strokeWidth) {
    if (xy.size() < 4) return;
    svg.text += "<polyline fill=\"none\" stroke=\"" + std::string(stroke) + "\" stroke-width=\"" +
                SvgNum(strokeWidth) + "\" points=\"";
    for (size_t i = 0; i + 1 < xy.size(); i += 2) {
        svg.text += (i ? " " : "") + SvgNum(xy[i]) + "," + SvgNum(xy[i + 1]);
    }
    svg.text += "\"/>\n";
}

void SvgPath(Svg& svg, const std::string& d, const char* stroke, double strokeWidth) {
    if (d.empty()) return;
    svg.text += "<path fill=\"none\" stroke=\"" + std::string(stroke) + "\" stroke-width=\"" +
                SvgNum(strokeWidth) + "\" d=\"" + d + "\"/>\n";
}

void SvgCircle(Svg& svg, double x, double y, double r, const char* fill) {
    svg.text += "<circle cx=\"" + SvgNum(x) + "\" cy=\"" + SvgNum(y) + "\" r=\"" + SvgNum(r) +
                "\" fill=\"" + fill + "\"/>\n";
}

void SvgText(Svg& svg, double x, double y, const std::string& text, double size, SvgAnchor anchor,
             const char* fill, bool bold) {
    static const char* const kAnchors[] = {"start", "middle", "end"};
    svg.text += "<text x=\"" + SvgNum(x) + "\" y=\"" + SvgNum(y) + "\" font-size=\"" +
                SvgNum(size) + "\" fill=\"" + fill + "\"";
    if (anchor != kSvgStart) svg.text += std::string(" text-anchor=\"") + kAnchors[anchor] + "\"";
    if (bold) svg.text += " font-weight=\"bold\"";
    svg.text += ">" + Escaped(text) + "</text>\n";
}

double SvgTextWidth(const std::string& text, double size) {
    // DejaVu Sans averages a little over 0.6 em a character; overestimating keeps labels apart.
    return 0.62 * size * static_cast<double>(text.size());
}

double SvgLegend(Svg& svg, double x, double y, const std::vector<SvgLegendItem>& items) {
    const double size = 11;
    for (const SvgLegendItem& item : items) {
        if (item.line) {
            SvgLine(svg, x, y - 4, x + 14, y - 4, item.colour, 2);
        } else {
            SvgRect(svg, x, y - 9, 14, 10, item.colour, item.opacity);
        }
        SvgText(svg, x + 18, y, item.label, size);
        x += 18 + SvgTextWidth(item.label, size) + 14;
    }
    return x;
}
