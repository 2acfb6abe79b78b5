// keypad-tool: checks a front-panel key layout (key_pad.xml) as the daemon reads it, replays
// what the daemon sends for a trace of board readings, records the board's readings into such a
// trace, watches the panel live, and calibrates a layout's thresholds from a recording. All run
// the daemon's own layout reader, start-up, scanner and GPIO pass, on an in-memory board;
// recording reads the real board through keypad-record, beside this program.
//
//   keypad-tool check [--quiet] [--strict] [FILE]
//   keypad-tool replay [--period-ms N] FILE TRACE
//   keypad-tool record [--period-ms N] [--for SECONDS] [--channel C]... [--gpio LINE]... [OUT]
//   keypad-tool watch [--period-ms N] [LAYOUT]
//   keypad-tool calibrate [--write OUT] [--quiet] LAYOUT TRACE
//   keypad-tool ladder [--group N] [--write OUT] [--svg OUT.svg] [--quiet] LAYOUT LADDER
//   keypad-tool ladder --design KEYS [--tolerance P%] [--series E12|E24|E48|E96] [--pull-up R]
//                      [--adc-error C]
//   keypad-tool keymap [--kl-dir DIR]... [--write-kl OUT] [--map CODE=LABEL]... LAYOUT
//
// Exit status: 0 fine; 1 the layout has errors (check, calibrate; with --strict, warnings too);
// 2 a file cannot be read, is not XML, a trace line is malformed, or the command line is wrong.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "board_files.h"
#include "calibrate_command.h"
#include "check_command.h"
#include "key_pars/key_pars.h"
#include "keymap_command.h"
#include "ladder_command.h"
#include "recorder_process.h"
#include "replay_command.h"
#include "watch_command.h"

static int Usage() {
    fprintf(stderr,
            "usage: keypad-tool check [--quiet] [--strict] [FILE]\n"
            "       keypad-tool replay [--period-ms N] FILE TRACE\n"
            "       keypad-tool record [--period-ms N] [--for SECONDS] [--channel C]... "
            "[--gpio LINE]... [OUT]\n"
            "       keypad-tool watch [--period-ms N] [LAYOUT]\n"
            "       keypad-tool calibrate [--write OUT] [--quiet] LAYOUT TRACE\n"
            "       keypad-tool ladder [--group N] [--write OUT] [--svg OUT.svg] [--quiet] LAYOUT "
            "LADDER\n"
            "       keypad-tool ladder --design KEYS [--tolerance P%%] [--series E12|E24|E48|E96] "
            "[--pull-up R] [--adc-error C]\n"
            "       keypad-tool keymap [--kl-dir DIR]... [--write-kl OUT] [--map CODE=LABEL]... "
            "LAYOUT\n"
            "FILE and LAYOUT default to the layout the daemon opens on the board in "
            "$SIM_BOARD_DIR.\n");
    return 2;
}

static bool ParsePeriod(const char* text, uint32_t& period) {
    char* end = nullptr;
    unsigned long value = strtoul(text, &end, 10);
    if (end == text || *end != '\0' || text[0] == '-' || value > 60000) return false;
    period = static_cast<uint32_t>(value);
    return true;
}

// Recording needs the real board, so keypad-record does it; the board's own conversion period
// is the default here, where the simulated board states it.
static int Record(int argc, char** argv) {
    std::vector<std::string> args(argv + 2, argv + argc);
    bool periodGiven = false;
    for (const std::string& a : args) periodGiven |= a == "--period-ms";
    const unsigned period = BoardPeriodMs();
    if (!periodGiven && period != 0 && period <= 60000) {
        args.insert(args.begin(), {"--period-ms", std::to_string(period)});
    }
    return ExecRecorder(args);
}

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    if (command == "record") return Record(argc, argv);
    if (command == "ladder") return RunLadder(argc - 2, argv + 2);
    if (command == "keymap") return RunKeymap(argc - 2, argv + 2);
    const char* files[2] = {nullptr, nullptr};
    int fileCount = 0;
    CheckOptions check = {nullptr, false, false};
    ReplayOptions replay = {nullptr, nullptr, 0};
    CalibrateOptions calibrate = {nullptr, nullptr, nullptr, false};
    uint32_t period = 0;
    for (int i = 2; i < argc; ++i) {
        const char* arg = argv[i];
        const bool quietOk = command == "check" || command == "calibrate";
        const bool periodOk = command == "replay" || command == "watch";
        if (quietOk && strcmp(arg, "--quiet") == 0) {
            check.quiet = calibrate.quiet = true;
        } else if (command == "check" && strcmp(arg, "--strict") == 0) {
            check.strict = true;
        } else if (periodOk && strcmp(arg, "--period-ms") == 0 && i + 1 < argc) {
            if (!ParsePeriod(argv[++i], period)) return Usage();
        } else if (command == "calibrate" && strcmp(arg, "--write") == 0 && i + 1 < argc) {
            calibrate.writePath = argv[++i];
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return Usage();
        } else if (fileCount < 2) {
            files[fileCount++] = arg;
        } else {
            return Usage();
        }
    }
    // The board's customisation lookup finds the layout under cfg/.
    const std::string onBoard = SimBoardPath("cfg/" + keyPadPath);
    if (command == "check" && fileCount <= 1) {
        check.file = fileCount == 1 ? files[0] : onBoard.c_str();
        return RunCheck(check);
    }
    if (command == "replay" && fileCount == 2) {
        replay.file = files[0];
        replay.trace = files[1];
        replay.periodMs = period;
        return RunReplay(replay);
    }
    if (command == "watch" && fileCount <= 1) {
        WatchOptions watch = {fileCount == 1 ? files[0] : onBoard.c_str(), period};
        return RunWatch(watch);
    }
    if (command == "calibrate" && fileCount == 2) {
        calibrate.layout = files[0];
        calibrate.trace = files[1];
        return RunCalibrate(calibrate);
    }
    return Usage();
}
