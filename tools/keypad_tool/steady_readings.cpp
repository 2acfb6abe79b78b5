#include "steady_readings.h"

std::vector<SteadyReading> FindSteadyReadings(const std::vector<ReadingRun>& runs) {
    std::vector<SteadyReading> found;
    size_t i = 0;
    while (i < runs.size()) {
        if (runs[i].failed) {
            ++i;
            continue;
        }
        // The longest stretch from run i whose readings stay within the band.
        SteadyReading s = {i,           i + 1, runs[i].reading, runs[i].reading, runs[i].samples,
                           runs[i].line};
        for (size_t j = i + 1; j < runs.size() && !runs[j].failed; ++j) {
            uint32_t low = runs[j].reading < s.low ? runs[j].reading : s.low;
            uint32_t high = runs[j].reading > s.high ? runs[j].reading : s.high;
            if (high - low > kSteadyBand) break;
            s.low = low;
            s.high = high;
            s.samples += runs[j].samples;
            s.endRun = j + 1;
        }
        if (s.samples >= kSteadySamples) {
            found.push_back(s);
            i = s.endRun;
        } else {
            // Too short: run i is part of a transit; a steady stretch may begin right after it.
            ++i;
        }
    }
    return found;
}
