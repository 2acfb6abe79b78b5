#include "ladder_command.h"

#include <ctype.h>
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tinyxml2.h>

#include <string>
#include <vector>

#include "daemon_startup.h"
#include "input_file.h"
#include "key_pars/key_pars.h"
#include "ladder_analysis.h"
#include "ladder_design.h"
#include "ladder_file.h"
#include "ladder_picture.h"
#include "layout_elements.h"
#include "layout_file.h"
#include "output_file.h"
#include "reading_owners.h"
#include "threshold_write.h"

namespace {

struct Options {
    // Checking a ladder against a layout.
    const char* layout = nullptr;
    const char* ladder = nullptr;
    const char* writePath = nullptr;
    const char* svgPath = nullptr;
    int group = 0;
    bool quiet = false;
    // Designing one.
    bool design = false;
    LadderDesignRequest request = {0, kDefaultTolerance, 24, 10000 * kMilliohmsPerOhm,
                                   kDefaultAdcError};
};

}  // namespace

static int Usage(const std::string& why = "") {
    if (!why.empty()) fprintf(stderr, "keypad-tool: %s\n", why.c_str());
    fprintf(stderr,
            "usage: keypad-tool ladder [--group N] [--write OUT] [--svg OUT.svg] [--quiet] LAYOUT "
            "LADDER\n"
            "       keypad-tool ladder --design KEYS [--tolerance P%%] [--series E12|E24|E48|E96] "
            "[--pull-up R] [--adc-error C]\n");
    return 2;
}

// A whole number written in plain digits.
static bool Count(const char* text, int min, int max, int& value) {
    if (!isdigit(static_cast<unsigned char>(text[0]))) return false;
    char* end = nullptr;
    errno = 0;
    const long n = strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno != 0 || n < min || n > max) return false;
    value = static_cast<int>(n);
    return true;
}

// 0, or the exit status of a wrong command line.
static int ParseOptions(int argc, char** argv, Options& o) {
    std::vector<const char*> files;
    bool checking = false;  // an option of the check given
    bool designing = false;
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool valued = arg == "--group" || arg == "--write" || arg == "--svg" ||
                            arg == "--design" || arg == "--tolerance" || arg == "--series" ||
                            arg == "--pull-up" || arg == "--adc-error";
        if (valued && i + 1 == argc) return Usage(arg + " needs a value");
        const char* value = valued ? argv[++i] : nullptr;
        std::string why;
        if (arg == "--quiet") {
            o.quiet = checking = true;
        } else if (arg == "--group") {
            if (!Count(value, 0, kAdcGroupCount - 1, o.group))
                return Usage(std::string("--group ") + value + ": the groups are 0, 1 and 2");
            checking = true;
        } else if (arg == "--write") {
            o.writePath = value;
            checking = true;
        } else if (arg == "--svg") {
            o.svgPath = value;
            checking = true;
        } else if (arg == "--design") {
            if (!Count(value, kMinDesignKeys, kKeySlots, o.request.keys))
                return Usage(std::string("--design ") + value +
                             ": KEYS counts slot 0, from 2 to 8 keys");
            o.design = designing = true;
        } else if (arg == "--tolerance") {
            if (!ParseTolerance(value, o.request.tolerance, why))
                return Usage("--tolerance " + why);
            designing = true;
        } else if (arg == "--series") {
            const bool known = value[0] == 'E' && Count(value + 1, 1, 192, o.request.series) &&
                               SeriesKnown(o.request.series);
            if (!known) return Usage(std::string("--series ") + value + ": E12, E24, E48 or E96");
            designing = true;
        } else if (arg == "--pull-up") {
            if (!ParseResistance(value, o.request.pullUp, why)) return Usage("--pull-up " + why);
            if (o.request.pullUp == 0) return Usage("--pull-up 0: no key pulls the input down");
            designing = true;
        } else if (arg == "--adc-error") {
            if (!Count(value, 0, kMaxAdcError, o.request.adcError))
                return Usage(std::string("--adc-error ") + value + ": a count of 0 to 255");
            designing = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return Usage("unknown option " + arg);
        } else {
            files.push_back(argv[i]);
        }
    }
    if (designing && !o.design)
        return Usage("the series, tolerance, pull-up and adc-error are options of --design");
    if (o.design && (checking || !files.empty()))
        return Usage("--design takes no layout, ladder or check options");
    if (o.design) return 0;
    if (files.size() != 2) return Usage();
    o.layout = files[0];
    o.ladder = files[1];
    return 0;
}

static int Design(const LadderDesignRequest& q) {
    Ladder ladder;
    if (DesignLadder(q, ladder) != 0) {
        fprintf(stderr,
                "keypad-tool: no chain of E%d resistors at %s gives %d keys worst-case readings "
                "that 16-count windows hold apart: %s\n",
                q.series, ToleranceText(q.tolerance).c_str(), q.keys, DesignAdvice(q).c_str());
        return 1;
    }
    const std::string text = DesignText(q, ladder);
    if (fwrite(text.data(), 1, text.size(), stdout) != text.size() || fflush(stdout) != 0) {
        fprintf(stderr, "keypad-tool: cannot write the design to standard output: %s\n",
                strerror(errno));
        return 2;
    }
    return 0;
}

// The document must outlive the element pointers that the walk and the writer use; the text is
// the bytes it was parsed from, which the daemon reads too and the writer edits.
static tinyxml2::XMLDocument document;
static std::string layoutText;

// The one place the ladder reads the layout: the daemon's own start-up on it gives the group's
// records and matching, the walk each key's element.
static int ReadLayout(const char* path, int group, LayoutElements& elements, LadderLayout& layout) {
    if (LoadLayoutFile(path, layoutText, document) != 0) return -1;
    Findings ignored;  // check reports on the layout itself
    WalkLayout(document, elements, ignored);
    if (StartDaemonOnLayout(layoutText) != 0) {
        fprintf(stderr,
                "keypad-tool: the daemon reads no key from %s (keypad-tool check says why)\n",
                path);
        return -1;
    }
    const KeyArry& g = keyGroups[group];
    const GroupElements& e = elements.adc[group];
    layout.group = group;
    layout.enabled = g.enable != 0;
    layout.channel = g.channel_id;
    layout.levels = g.KeyLevelNum;
    layout.groupLine = LineOf(e.group, elements.root);
    for (int k = 0; k < kKeySlots; ++k) {
        layout.threshold[k] = g.KeyThreshold[k];
        layout.line[k] = LineOf(e.keys[k]);
    }
    ReadingOwners(group, layout.owners);
    return 0;
}

static std::string Span(int low, int high) { return ReadingHex(low) + "-" + ReadingHex(high); }

static std::string SlotName(int slot) {
    return slot == kRestSlot ? "the panel at rest" : "key " + std::to_string(slot);
}

static void PrintKey(const LadderKey& k, const Ladder& ladder) {
    std::string toGround = "-", nominal = "-", worst = "-", window = "-", margins = "-";
    std::string proposed = k.onLadder ? "none fits" : "kept";
    if (k.onLadder) {
        toGround = ResistanceText(k.milliohms);
        if (k.milliohms != 0) toGround += " " + ToleranceText(ladder.slots[k.slot].tolerance);
        nominal = ReadingHex(k.nominal);
        worst = Span(k.worst.low, k.worst.high);
    }
    if (k.inLayout) {
        window =
            k.threshold >= kWindowWidth ? Span(k.threshold - kWindowWidth, k.threshold) : "none";
    }
    if (k.onLadder && k.inLayout) {
        margins = !k.held ? "outside"
                          : (k.marginBelow == kNoMargin ? "-" : std::to_string(k.marginBelow)) +
                                ", " + std::to_string(k.marginAbove);
    }
    if (k.proposed >= 0) {
        proposed =
            ReadingHex(k.proposed) + " (" + Span(k.proposed - kWindowWidth, k.proposed) + ")";
    }
    printf("  %-3d %-11s %-7s %-10s %-10s %-8s %s\n", k.slot, toGround.c_str(), nominal.c_str(),
           worst.c_str(), window.c_str(), margins.c_str(), proposed.c_str());
}

static void PrintReport(const Options& o, const Ladder& ladder, const LadderLayout& layout,
                        const LadderAnalysis& a) {
    printf("ladder %s on %s: ADC group %d, channel %d\n", o.ladder, o.layout, layout.group,
           layout.channel);
    printf("pull-up %s %s, adc-error %d: the panel at rest reads %s; %s\n",
           ResistanceText(ladder.pullUp).c_str(), ToleranceText(ladder.pullUpTolerance).c_str(),
           ladder.adcError, Span(a.rest.low, a.rest.high).c_str(),
           ladder.chained ? "a chain (the key nearer the input wins)"
                          : "keys to ground (keys pressed together are in parallel)");
    printf("  key to ground   nominal worst case window     margins  proposed threshold\n");
    for (const LadderKey& k : a.keys) PrintKey(k, ladder);
    printf("smallest gap between neighbouring worst-case ranges: %d count%s, between %s and %s\n",
           a.smallestGap, a.smallestGap == 1 ? "" : "s", SlotName(a.gapBelow).c_str(),
           SlotName(a.gapAbove).c_str());
}

static bool Writable(const LadderAnalysis& a) {
    for (const LadderKey& k : a.keys) {
        if (k.onLadder && !k.inLayout) return false;
    }
    return a.placed;
}

// 0 written, 1 nothing written because no thresholds hold every range, 2 failed to write.
static int Write(const Options& o, const LadderAnalysis& a, const LayoutElements& elements) {
    if (!a.placed) {
        fprintf(stderr, "keypad-tool: %s not written: no thresholds hold every worst-case range\n",
                o.writePath);
        return 1;
    }
    std::vector<ThresholdEdit> edits;
    for (const LadderKey& k : a.keys) {
        if (!k.onLadder) continue;
        if (!k.inLayout) {
            fprintf(stderr,
                    "keypad-tool: %s not written: key %d of the ladder is no key of group %d in "
                    "%s\n",
                    o.writePath, k.slot, o.group, o.layout);
            return 1;
        }
        if (k.proposed != k.threshold) {
            edits.push_back({elements.adc[o.group].keys[k.slot], static_cast<uint8_t>(k.proposed),
                             o.group, k.slot});
        }
    }
    if (WriteThresholds(o.layout, layoutText, edits, o.writePath) != 0) return 2;
    if (!o.quiet) {
        printf("Wrote %s: %zu threshold%s changed, every other byte as in %s\n", o.writePath,
               edits.size(), edits.size() == 1 ? "" : "s", o.layout);
    }
    return 0;
}

int RunLadder(int argc, char** argv) {
    Options o;
    if (const int status = ParseOptions(argc, argv, o)) return status;
    if (o.design) return Design(o.request);

    if (RefuseOutputOverInput(o.writePath, "the layout", o.ladder) != 0 ||
        RefuseOutputOverInput(o.svgPath, "the picture", o.layout, o.ladder) != 0) {
        return 2;
    }
    std::string text;
    if (ReadInputFile(o.ladder, text) != 0) return 2;
    Ladder ladder;
    Findings malformed;
    if (ParseLadder(text, ladder, malformed) != 0) {
        PrintFindings(stderr, o.ladder, malformed);
        return 2;
    }
    LayoutElements elements;
    LadderLayout layout;
    if (ReadLayout(o.layout, o.group, elements, layout) != 0) return 2;

    LadderAnalysis a;
    AnalyseLadder(ladder, layout, a);
    if (!o.quiet) PrintReport(o, ladder, layout, a);
    const int errors =
        PrintFindingsSection(o.quiet, o.layout, a.layoutFindings, o.ladder, &a.ladderFindings);
    if (o.svgPath) {
        const std::string title = std::string("ladder ") + o.ladder + " on " + o.layout +
                                  ", ADC group " + std::to_string(o.group);
        const std::string svg = DrawLadderPicture(a, layout, keyGroups[o.group].KeyCode, title);
        if (WriteOutputFile(o.svgPath, svg) != 0) return 2;
    }
    if (o.writePath) {
        fflush(stdout);
        const int written = Write(o, a, elements);
        if (written != 0) return written;
    } else if (!o.quiet && Writable(a)) {
        printf("keypad-tool ladder --write OUT writes the layout with the proposed thresholds\n");
    }
    return errors > 0 ? 1 : 0;
}
