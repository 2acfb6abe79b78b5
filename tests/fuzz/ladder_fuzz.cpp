// Any bytes as a ladder file through keypad-tool ladder's reader and analysis, against the
// demo layout's group as the daemon reads it. A rejected file names a line of itself for each
// error; an accepted one prints back as a file that reads as the same ladder, every worst-case
// range holds its nominal reading, every finding names a line of one file or the other, and
// proposed thresholds hold every range apart from the rest reading.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <algorithm>
#include <string>

#include "daemon_startup.h"
#include "input_file.h"
#include "ladder_analysis.h"
#include "ladder_file.h"

static LadderLayout layout;
static constexpr int kFirstLayoutLine = 100;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::string text;
    if (ReadInputFile(LADDER_FUZZ_LAYOUT, text) != 0 || StartDaemonOnLayout(text) != 0) abort();
    const KeyArry& g = keyGroups[0];
    layout = {0, g.enable != 0, g.channel_id, g.KeyLevelNum, kFirstLayoutLine, {}, {}, {}};
    for (int k = 0; k < kKeySlots; ++k) {
        layout.threshold[k] = g.KeyThreshold[k];
        layout.line[k] = kFirstLayoutLine + 1 + k;
    }
    ReadingOwners(0, layout.owners);
    return 0;
}

static bool Same(const Ladder& a, const Ladder& b) {
    for (int k = 0; k < kKeySlots; ++k) {
        const LadderSlot& x = a.slots[k];
        const LadderSlot& y = b.slots[k];
        if (x.present != y.present ||
            (x.present && (x.milliohms != y.milliohms || x.tolerance != y.tolerance)))
            return false;
    }
    return a.chained == b.chained && a.chain == b.chain && a.pullUp == b.pullUp &&
           a.pullUpTolerance == b.pullUpTolerance && a.adcError == b.adcError;
}

static void CheckLines(const Findings& findings, int first, int last) {
    for (const Finding& f : findings) {
        if (f.line < first || f.line > last || f.text.empty()) abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const int lines = 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
    Ladder ladder;
    Findings errors;
    if (ParseLadder(text, ladder, errors) != 0) {
        if (errors.empty()) abort();
        CheckLines(errors, 1, lines);
        return 0;
    }
    Ladder again;
    if (ParseLadder(LadderText(ladder), again, errors) != 0 || !Same(ladder, again)) abort();

    LadderAnalysis a;
    AnalyseLadder(ladder, layout, a);
    CheckLines(a.ladderFindings, 1, lines);
    CheckLines(a.layoutFindings, kFirstLayoutLine, kFirstLayoutLine + kKeySlots);
    for (const LadderKey& k : a.keys) {
        if (!k.onLadder) continue;
        if (k.worst.low < 0 || k.worst.low > k.nominal || k.nominal > k.worst.high ||
            k.worst.high > kFullScale)
            abort();
        if (!a.placed) continue;
        const int t = k.proposed;
        const bool bottom = k.slot == 0 && k.worst.low <= 5;
        if (t < kWindowWidth || t >= a.rest.low || k.worst.high > t ||
            (!bottom && k.worst.low < t - kWindowWidth))
            abort();
    }
    return 0;
}
