// keypad-tool: checks a front-panel key layout (key_pad.xml) as the daemon reads it, replays
// what the daemon sends for a trace of board readings, records the board's readings into such a
// trace, watches the panel live, and calibrates a layout's thresholds from a recording. All run
// the daemon's own layout reader, start-up, scanner and GPIO pass, on an in-memory board;
// recording reads the real board through keypad-record, beside this program.
//
//   keypad-tool check [--quiet] [--strict] [FILE]
//   keypad-tool replay [--period-ms N] [--svg OUT.svg [--from MS] [--to MS]] FILE TRACE
//   keypad-tool record [--period-ms N] [--for SECONDS] [--channel C]... [--gpio LINE]...
//                      [--force] [OUT]
//   keypad-tool watch [--period-ms N] [LAYOUT]
//   keypad-tool calibrate [--write OUT] [--svg OUT.svg] [--quiet] LAYOUT TRACE
//   keypad-tool ladder [--group N] [--write OUT] [--svg OUT.svg] [--quiet] LAYOUT LADDER
//   keypad-tool ladder --design KEYS [--tolerance P%] [--series E12|E24|E48|E96] [--pull-up R]
//                      [--adc-error C]
//   keypad-tool keymap [--kl-dir DIR]... [--write-kl OUT] [--map CODE=LABEL]... LAYOUT
//
// Every command reads each of its inputs once, whole, so a pipe or /dev/stdin serves as a file.
// Exit status: 0 fine; 1 the layout has errors (check, calibrate; with --strict, warnings too);
// 2 a file cannot be read, is not XML, a trace line is malformed, or the command line is wrong.
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "board_files.h"
#include "calibrate_command.h"
#include "check_command.h"
#include "key_pars/key_pars.h"
#include "keymap_command.h"
#include "ladder_command.h"
#include "period_option.h"
#include "recorder_process.h"
#include "replay_command.h"
#include "trace_line.h"
#include "watch_command.h"

// What the command line gives a command after its name.
struct Arguments {
    bool quiet = false;
    bool strict = false;
    uint32_t periodMs = 0;  // --period-ms; 0: not given
    const char* writePath = nullptr;
    const char* svgPath = nullptr;
    uint64_t fromMs = 0;  // --from and --to: the part of the trace the picture shows
    uint64_t toMs = 0;    // 0: to the end
    bool rangeGiven = false;
    std::vector<const char*> files;
    std::vector<std::string> all;  // every argument, as given
};

// The options a command takes. kPassOn: the rest goes on to another program, which checks it.
enum Options {
    kQuiet = 1,
    kStrict = 2,
    kPeriod = 4,
    kWrite = 8,
    kPassOn = 16,
    kSvg = 32,
    kRange = 64
};

// A time on the trace's scale, in whole milliseconds (at most a day).
static bool ParseMs(const char* text, uint64_t& ms) {
    uint64_t value = 0;
    if (!text || *text == '\0') return false;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || value > kMaxTraceMs) return false;
        value = value * 10 + static_cast<uint64_t>(*c - '0');
    }
    if (value > kMaxTraceMs) return false;
    ms = value;
    return true;
}

// False on an option the command does not take or a value that is missing or bad. --period-ms
// has one rule for every command: a whole number of milliseconds from 1 to 60000.
static bool Parse(int argc, char** argv, int options, Arguments& a) {
    for (int i = 2; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        a.all.push_back(arg);
        if ((options & kQuiet) && strcmp(arg, "--quiet") == 0) {
            a.quiet = true;
        } else if ((options & kStrict) && strcmp(arg, "--strict") == 0) {
            a.strict = true;
        } else if ((options & kPeriod) && strcmp(arg, "--period-ms") == 0) {
            if (!value || !ParsePeriodMs(value, a.periodMs)) return false;
            a.all.push_back(argv[++i]);
        } else if ((options & kWrite) && strcmp(arg, "--write") == 0 && value) {
            a.writePath = argv[++i];
        } else if ((options & kSvg) && strcmp(arg, "--svg") == 0 && value) {
            a.svgPath = argv[++i];
        } else if ((options & kRange) && strcmp(arg, "--from") == 0) {
            if (!ParseMs(value, a.fromMs)) return false;
            a.rangeGiven = true;
            ++i;
        } else if ((options & kRange) && strcmp(arg, "--to") == 0) {
            if (!ParseMs(value, a.toMs) || a.toMs == 0) return false;
            a.rangeGiven = true;
            ++i;
        } else if (arg[0] == '-' && arg[1] != '\0' && !(options & kPassOn)) {
            return false;
        } else {
            a.files.push_back(arg);
        }
    }
    // A part of the picture needs a picture, and a part that ends before it begins is none.
    return !a.rangeGiven || (a.svgPath && (a.toMs == 0 || a.toMs > a.fromMs));
}

// The layout the daemon opens: the board's customisation lookup finds it under cfg/.
static std::string BoardLayout() { return SimBoardPath("cfg/" + keyPadPath); }

static int Check(const Arguments& a) {
    if (a.files.size() > 1) return -1;
    const std::string file = a.files.empty() ? BoardLayout() : a.files[0];
    return RunCheck({file.c_str(), a.quiet, a.strict});
}

static int Replay(const Arguments& a) {
    if (a.files.size() != 2) return -1;
    return RunReplay({a.files[0], a.files[1], a.periodMs, a.svgPath, a.fromMs, a.toMs});
}

// Recording needs the real board, so keypad-record does it; the board's own conversion period
// is the default here, where the simulated board states it.
static int Record(const Arguments& a) {
    std::vector<std::string> args = a.all;
    const unsigned period = BoardPeriodMs();
    if (a.periodMs == 0 && period != 0) {
        args.insert(args.begin(), {"--period-ms", std::to_string(period)});
    }
    return ExecRecorder(args);
}

static int Watch(const Arguments& a) {
    if (a.files.size() > 1) return -1;
    const std::string layout = a.files.empty() ? BoardLayout() : a.files[0];
    return RunWatch({layout.c_str(), a.periodMs});
}

static int Calibrate(const Arguments& a) {
    if (a.files.size() != 2) return -1;
    return RunCalibrate({a.files[0], a.files[1], a.writePath, a.quiet, a.svgPath});
}

// ladder and keymap read their own options from every argument given.
static int PassOn(int (*run)(int, char**), const Arguments& a) {
    std::vector<char*> args;
    for (const std::string& arg : a.all) args.push_back(const_cast<char*>(arg.c_str()));
    return run(static_cast<int>(args.size()), args.data());
}

static int Ladder(const Arguments& a) { return PassOn(RunLadder, a); }
static int Keymap(const Arguments& a) { return PassOn(RunKeymap, a); }

struct Command {
    const char* name;
    int options;
    int (*run)(const Arguments&);  // -1: the command line is wrong
    const char* usage;
};

static const Command kCommands[] = {
    {"check", kQuiet | kStrict, Check, "[--quiet] [--strict] [FILE]"},
    {"replay", kPeriod | kSvg | kRange, Replay,
     "[--period-ms N] [--svg OUT.svg [--from MS] [--to MS]] FILE TRACE"},
    {"record", kPeriod | kPassOn, Record,
     "[--period-ms N] [--for SECONDS] [--channel C]... [--gpio LINE]... [--force] [OUT]"},
    {"watch", kPeriod, Watch, "[--period-ms N] [LAYOUT]"},
    {"calibrate", kWrite | kQuiet | kSvg, Calibrate,
     "[--write OUT] [--svg OUT.svg] [--quiet] LAYOUT TRACE"},
    {"ladder", kPassOn, Ladder,
     "[--group N] [--write OUT] [--svg OUT.svg] [--quiet] LAYOUT LADDER\n"
     "       keypad-tool ladder --design KEYS [--tolerance P%] [--series E12|E24|E48|E96] "
     "[--pull-up R] [--adc-error C]"},
    {"keymap", kPassOn, Keymap, "[--kl-dir DIR]... [--write-kl OUT] [--map CODE=LABEL]... LAYOUT"},
};

static int Usage() {
    const char* lead = "usage:";
    for (const Command& c : kCommands) {
        fprintf(stderr, "%-6s keypad-tool %s %s\n", lead, c.name, c.usage);
        lead = "";
    }
    fprintf(stderr,
            "FILE and LAYOUT default to the layout the daemon opens on the board in "
            "$SIM_BOARD_DIR; N is 1 to 60000.\n");
    return 2;
}

int main(int argc, char** argv) {
    for (const Command& c : kCommands) {
        if (argc < 2 || strcmp(argv[1], c.name) != 0) continue;
        Arguments arguments;
        const int status = Parse(argc, argv, c.options, arguments) ? c.run(arguments) : -1;
        return status < 0 ? Usage() : status;
    }
    return Usage();
}
