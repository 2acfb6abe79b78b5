// keypad-record: records what the front panel reads, for keypad-tool calibrate and replay.
//
//   keypad-record [--period-ms N] [--for SECONDS] [--channel C]... [--gpio LINE]...
//                 [--every-sample] [--force] [OUT]
//
// Reads the board through the daemon's own SDK wrappers: the chip on the set, the simulated
// board ($SIM_BOARD_DIR) elsewhere. Only reads: nothing is configured or written on the board.
// SIGINT, SIGTERM and SIGHUP (a closed terminal, a dropped adb shell) end the recording with the
// trace complete. OUT is never the board's layout, nor any file that holds XML, unless --force.
// Exit status: 0 recorded, 1 the chip cannot be opened or the trace cannot be written (a closed
// pipe included), 2 the command line is wrong, OUT is refused, or there is nothing to record.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <tinyxml2.h>
#include <unistd.h>

#include "../keypad_tool/period_option.h"
#include "key_pars/key_pars.h"
#include "record_session.h"
#include "sdk/hi_wrappers.h"

static int Usage() {
    fprintf(stderr,
            "usage: keypad-record [--period-ms N] [--for SECONDS] [--channel C]... "
            "[--gpio LINE]... [--every-sample] [--force] [OUT]\n"
            "Records LSADC channels (default: those of the board layout's enabled groups) and "
            "GPIO lines (group*8+pin) every N ms (1 to 60000, default 10) into a replay trace "
            "(OUT, default standard output), until SECONDS have passed or SIGINT, SIGTERM or "
            "SIGHUP. --force: OUT may be the board's layout or another file that holds XML.\n");
    return 2;
}

static bool Number(const char* text, unsigned long max, uint32_t& value) {
    char* end = nullptr;
    unsigned long parsed = strtoul(text, &end, 10);
    if (end == text || *end != '\0' || text[0] == '-' || text[0] == '+' || parsed > max) {
        return false;
    }
    value = static_cast<uint32_t>(parsed);
    return true;
}

static bool Seconds(const char* text, uint64_t& ms) {
    char* end = nullptr;
    double seconds = strtod(text, &end);
    if (end == text || *end != '\0' || !(seconds > 0) || seconds * 1000 > kRecordMaxMs) {
        return false;
    }
    ms = static_cast<uint64_t>(seconds * 1000 + 0.5);
    return ms > 0;
}

static void AddUnique(uint32_t* list, int& count, int room, uint32_t value) {
    for (int i = 0; i < count; ++i) {
        if (list[i] == value) return;
    }
    if (count < room) list[count++] = value;
}

static void OnStop(int) { recordStopRequested = 1; }

// Whether the existing regular file at path reads as XML. A trace begins with a comment or a
// time, never with '<', so only a file that does is parsed.
static bool HoldsXml(const char* path) {
    FILE* file = fopen(path, "rb");
    if (!file) return false;
    int c = 0;
    while ((c = getc(file)) != EOF && (c == ' ' || c == '\t' || c == '\r' || c == '\n' ||
                                       c == 0xEF || c == 0xBB || c == 0xBF)) {
    }
    bool xml = false;
    if (c == '<') {
        rewind(file);
        tinyxml2::XMLDocument document;
        xml = document.LoadFile(file) == tinyxml2::XML_SUCCESS;
    }
    fclose(file);
    return xml;
}

// A recording must not replace the board's layout (record [OUT] and watch [LAYOUT] look alike),
// any other layout (unless force), or a read-only file: 0, or 2 after saying why OUT is refused.
static int CheckOut(const char* out, const char* layout, bool force) {
    struct stat target;
    struct stat board;
    if (stat(out, &target) != 0 || !S_ISREG(target.st_mode)) return 0;
    // Root may write anything: a file that no one may write is kept as its mode says.
    if ((target.st_mode & 0222) == 0) {
        fprintf(stderr, "keypad-record: cannot write %s: it is read-only\n", out);
        return 2;
    }
    if (force) return 0;
    if (layout && stat(layout, &board) == 0 && board.st_dev == target.st_dev &&
        board.st_ino == target.st_ino) {
        fprintf(stderr,
                "keypad-record: %s is the board's key layout (%s): not overwritten with a "
                "trace; name another file, or give --force\n",
                out, layout);
        return 2;
    }
    if (HoldsXml(out)) {
        fprintf(stderr,
                "keypad-record: %s holds XML (a key layout?): not overwritten with a trace; name "
                "another file, or give --force\n",
                out);
        return 2;
    }
    return 0;
}

// The layout as the daemon finds it, read by the daemon's own reader. The reader logs as the
// daemon does; off the set that log is standard error, where it would only bury the recorder's
// own lines, so it goes nowhere while the file is read.
static const char* LoadBoardLayout(char* path, size_t size) {
    char buffer[HI_CUST_PATH_BUFFER_SIZE] = {};
    const char* found = hi_get_one_cfg_file(keyPadPath.c_str(), CUST_TYPE_CONFIG, buffer);
    if (!found) return nullptr;
    snprintf(path, size, "%s", found);
    fflush(stderr);
    int saved = dup(STDERR_FILENO);
    int quiet = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && quiet >= 0) dup2(quiet, STDERR_FILENO);
    GetBoardKeyPad(keyGroups, kAdcGroupCount);
    GetGpioKeyPad(gpioKeys);
    if (saved >= 0 && quiet >= 0) dup2(saved, STDERR_FILENO);
    if (quiet >= 0) close(quiet);
    if (saved >= 0) close(saved);
    return path;
}

static void DefaultSources(RecordOptions& o) {
    for (const KeyArry& group : keyGroups) {
        if (group.enable != 0)
            AddUnique(o.channels, o.channelCount, kRecordMaxChannels, group.channel_id);
    }
    if (gpioKeys.enable == 0) return;
    const int keys = gpioKeys.KeyLevelNum < kKeySlots ? gpioKeys.KeyLevelNum : kKeySlots;
    for (int k = 0; k < keys; ++k) {
        AddUnique(o.gpioLines, o.gpioCount, kRecordMaxLines,
                  gpioKeys.GroupNum[k] * 8u + gpioKeys.PinNum[k]);
    }
}

static const char kStopDaemon[] =
    "keypad-record: while tavrion runs it holds the chip's %s; stop it for the recording "
    "(adb shell stop tavrion) and start it again afterwards (adb shell start tavrion)\n";

int main(int argc, char** argv) {
    static RecordOptions options;
    options.periodMs = kRecordDefaultPeriodMs;
    const char* outPath = nullptr;
    bool force = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = i + 1 < argc ? argv[i + 1] : nullptr;
        uint32_t number = 0;
        if (strcmp(arg, "--period-ms") == 0 && value) {
            if (!ParsePeriodMs(value, options.periodMs)) return Usage();
            ++i;
        } else if (strcmp(arg, "--for") == 0 && value) {
            if (!Seconds(value, options.forMs)) return Usage();
            ++i;
        } else if (strcmp(arg, "--channel") == 0 && value) {
            if (!Number(value, kRecordMaxChannels - 1, number)) return Usage();
            AddUnique(options.channels, options.channelCount, kRecordMaxChannels, number);
            ++i;
        } else if (strcmp(arg, "--gpio") == 0 && value) {
            if (!Number(value, 255 * 8 + 255, number)) return Usage();
            if (options.gpioCount == kRecordMaxLines) {
                fprintf(stderr, "keypad-record: at most %d GPIO lines at once\n", kRecordMaxLines);
                return 2;
            }
            AddUnique(options.gpioLines, options.gpioCount, kRecordMaxLines, number);
            ++i;
        } else if (strcmp(arg, "--every-sample") == 0) {
            options.everySample = true;
        } else if (strcmp(arg, "--force") == 0) {
            force = true;
        } else if ((arg[0] == '-' && arg[1] != '\0') || outPath) {
            return Usage();
        } else {
            outPath = arg;
        }
    }

    char layout[HI_CUST_PATH_BUFFER_SIZE + 1];
    options.layoutPath = LoadBoardLayout(layout, sizeof layout);
    const bool toFile = outPath && strcmp(outPath, "-") != 0;
    if (toFile && CheckOut(outPath, options.layoutPath, force) != 0) return 2;
    if (options.channelCount == 0 && options.gpioCount == 0) {
        DefaultSources(options);
        if (options.channelCount == 0 && options.gpioCount == 0) {
            if (options.layoutPath) {
                fprintf(stderr,
                        "keypad-record: nothing to record: the board's layout %s enables no key "
                        "group; name channels with --channel or GPIO lines with --gpio\n",
                        options.layoutPath);
            } else {
                fprintf(stderr,
                        "keypad-record: nothing to record: the board has no key layout "
                        "(atv/etc/key_pad.xml); name channels with --channel or GPIO lines "
                        "with --gpio\n");
            }
            return 2;
        }
    }
    if (options.channelCount > 0) {
        int lsadc = HiLsadcInit();
        if (lsadc < 0) {
            fprintf(stderr, "keypad-record: the LSADC cannot be opened (0x%08x)\n", lsadc);
            fprintf(stderr, kStopDaemon, "LSADC");
            return 1;
        }
    }
    if (options.gpioCount > 0) {
        int gpio = HiGpioInit();
        if (gpio != 0) {
            fprintf(stderr, "keypad-record: the GPIO driver cannot be opened (0x%08x)\n", gpio);
            fprintf(stderr, kStopDaemon, "GPIO driver");
            return 1;
        }
    }

    FILE* out = stdout;
    if (toFile) {
        out = fopen(outPath, "w");
        if (!out) {
            fprintf(stderr, "keypad-record: cannot write %s: %s\n", outPath, strerror(errno));
            return 1;
        }
    }
    // A stream of every sample goes to a program with a display of its own (keypad-tool watch).
    options.live = isatty(STDERR_FILENO) != 0 && !options.everySample;

    struct sigaction stop = {};
    stop.sa_handler = OnStop;
    sigemptyset(&stop.sa_mask);
    // No SA_RESTART: the signal ends the pause between two samples at once. A hang-up (the
    // terminal closed, adb shell dropped) ends the recording as Ctrl-C does.
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &stop, nullptr);
    // A closed output pipe is found by the recording and said in its own words.
    signal(SIGPIPE, SIG_IGN);

    int result = RecordSession(options, out);
    if (out != stdout && fclose(out) != 0 && result == 0) {
        fprintf(stderr, "keypad-record: cannot write %s: %s\n", outPath, strerror(errno));
        result = -1;
    }
    return result == 0 ? 0 : 1;
}
