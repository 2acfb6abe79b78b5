#include "svg_axis.h"

#include <math.h>
#include <stdio.h>

// Every multiple of step within lo..hi, checked with a tolerance so that 0.1 * 3 counts as on it.
static std::vector<double> Multiples(double lo, double hi, double step) {
    std::vector<double> ticks;
    for (double t = ceil(lo / step - 1e-9) * step; t <= hi + step * 1e-9; t += step) {
        ticks.push_back(fabs(t) < step * 1e-9 ? 0.0 : t);
    }
    return ticks;
}

std::vector<double> AxisTicks(double lo, double hi, int maxTicks) {
    if (!(hi > lo) || maxTicks < 2) return {lo};
    const double rough = (hi - lo) / (maxTicks - 1);
    const double power = pow(10.0, floor(log10(rough)));
    double step = power;
    for (double m : {1.0, 2.0, 5.0, 10.0}) {
        step = m * power;
        if (step >= rough) break;
    }
    return Multiples(lo, hi, step);
}

std::vector<double> TimeTicks(double lo, double hi, int maxTicks) {
    if (!(hi > lo) || maxTicks < 2) return {lo};
    const double rough = (hi - lo) / (maxTicks - 1);
    if (rough <= 5000) return AxisTicks(lo, hi, maxTicks);
    static const double kSteps[] = {10e3, 15e3, 30e3, 60e3, 120e3, 300e3, 600e3, 900e3, 1800e3};
    for (double step : kSteps) {
        if (step >= rough) return Multiples(lo, hi, step);
    }
    const double hours = ceil(rough / 3600e3);
    return Multiples(lo, hi, hours * 3600e3);
}

std::string TimeTickLabel(double ms, double spanMs) {
    char text[32];
    if (spanMs < 10000) {
        snprintf(text, sizeof text, "%.0f ms", ms);
    } else {
        snprintf(text, sizeof text, "%g s", ms / 1000.0);
    }
    return text;
}

std::vector<Column> ReduceToColumns(const std::vector<Level>& levels, uint64_t from, uint64_t to,
                                    int columns) {
    std::vector<Column> out(columns > 0 ? columns : 0, Column{false, 0, 0, false});
    if (columns <= 0 || to <= from) return out;
    const double perColumn = static_cast<double>(to - from) / columns;
    auto columnOf = [&](uint64_t ms) {
        if (ms <= from) return 0;
        const int c = static_cast<int>((ms - from) / perColumn);
        return c < columns ? c : columns - 1;
    };
    auto add = [&](int c, const Level& level) {
        Column& column = out[c];
        if (level.failed) {
            column.failed = true;
            return;
        }
        if (!column.any || level.value < column.low) column.low = level.value;
        if (!column.any || level.value > column.high) column.high = level.value;
        column.any = true;
    };
    for (size_t i = 0; i < levels.size(); ++i) {
        const uint64_t begin = levels[i].ms;
        const uint64_t end = i + 1 < levels.size() ? levels[i + 1].ms : to;
        // A level that ends before the picture begins, or begins after it ends, is not shown;
        // one that lasts no time at all (two steps at one instant) still counts where it is.
        if (begin > to || end < from || (end == from && begin < from)) continue;
        const int first = columnOf(begin);
        const int last = end > begin ? columnOf(end - 1) : first;
        for (int c = first; c <= last; ++c) add(c, levels[i]);
    }
    return out;
}
