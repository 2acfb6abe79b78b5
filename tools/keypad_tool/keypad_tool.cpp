// keypad-tool: checks a front-panel key layout (key_pad.xml) as the daemon reads it, and replays
// what the daemon sends for a trace of board readings. Both run the daemon's own layout reader,
// start-up, scanner and GPIO pass, on an in-memory board.
//
//   keypad-tool check [--quiet] [--strict] [FILE]
//   keypad-tool replay [--period-ms N] FILE TRACE
//
// Exit status: 0 fine; 1 the layout has errors (check; with --strict, warnings too); 2 a file
// cannot be read, is not XML, a trace line is malformed, or the command line is wrong.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

#include "board_files.h"
#include "check_command.h"
#include "key_pars/key_pars.h"
#include "replay_command.h"

static int Usage() {
    fprintf(stderr,
            "usage: keypad-tool check [--quiet] [--strict] [FILE]\n"
            "       keypad-tool replay [--period-ms N] FILE TRACE\n"
            "check's FILE defaults to the layout the daemon opens on the board in "
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

int main(int argc, char** argv) {
    if (argc < 2) return Usage();
    const std::string command = argv[1];
    const char* files[2] = {nullptr, nullptr};
    int fileCount = 0;
    CheckOptions check = {nullptr, false, false};
    ReplayOptions replay = {nullptr, nullptr, 0};
    for (int i = 2; i < argc; ++i) {
        const char* arg = argv[i];
        if (command == "check" && strcmp(arg, "--quiet") == 0) {
            check.quiet = true;
        } else if (command == "check" && strcmp(arg, "--strict") == 0) {
            check.strict = true;
        } else if (command == "replay" && strcmp(arg, "--period-ms") == 0 && i + 1 < argc) {
            if (!ParsePeriod(argv[++i], replay.periodMs)) return Usage();
        } else if (arg[0] == '-' && arg[1] != '\0') {
            return Usage();
        } else if (fileCount < 2) {
            files[fileCount++] = arg;
        } else {
            return Usage();
        }
    }
    if (command == "check" && fileCount <= 1) {
        // The board's customisation lookup finds the layout under cfg/.
        const std::string onBoard = SimBoardPath("cfg/" + keyPadPath);
        check.file = fileCount == 1 ? files[0] : onBoard.c_str();
        return RunCheck(check);
    }
    if (command == "replay" && fileCount == 2) {
        replay.file = files[0];
        replay.trace = files[1];
        return RunReplay(replay);
    }
    return Usage();
}
