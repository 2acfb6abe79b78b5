#include "keymap_command.h"

#include <errno.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <tinyxml2.h>

#include <map>
#include <string>
#include <vector>

#include "input_file.h"
#include "key_names.h"
#include "keymap_codes.h"
#include "keypad_device.h"
#include "kl_file.h"
#include "kl_labels.h"
#include "layout_file.h"
#include "output_file.h"
#include "replay_engine.h"

// Where Android 14 looks for key layout files, in its order.
static const char* const kAndroidFolders[] = {
    "/product/usr/keylayout", "/system_ext/usr/keylayout", "/odm/usr/keylayout",
    "/vendor/usr/keylayout",  "/system/usr/keylayout",     "/data/system/devices/keylayout"};
static constexpr uint32_t kPowerCode = 116;
// Errors shown of a file that Android passes over: one is reason enough, and a file that is not a
// key layout at all would fill the screen.
static constexpr size_t kShownErrors = 10;

struct KeymapOptions {
    std::vector<std::string> folders;
    const char* writePath = nullptr;
    std::map<uint32_t, std::string> labels;  // from --map
    const char* layout = nullptr;
};

// One name of Android's search: the file it found under that name, if any, and how that went.
struct KlCandidate {
    std::string name;
    std::string path;  // "" when no folder holds the name
    KlFile file;
    std::vector<KlError> errors;
};

static int Usage() {
    fprintf(stderr,
            "usage: keypad-tool keymap [--kl-dir DIR]... [--write-kl OUT] [--map CODE=LABEL]... "
            "LAYOUT\n");
    return 2;
}

// 0, or 2 after saying what is wrong.
static int ParseMap(const std::string& text, std::map<uint32_t, std::string>& labels) {
    const size_t equals = text.find('=');
    uint32_t code = 0;
    if (equals == std::string::npos || !ParseKlCode(text.substr(0, equals), code)) {
        fprintf(stderr, "keypad-tool: --map %s: give CODE=LABEL, the code decimal or 0x-hex\n",
                text.c_str());
        return 2;
    }
    const std::string label = text.substr(equals + 1);
    // A key that Android calls UNKNOWN is one that the set ignores.
    if (!IsKeyLabel(label) || label == "UNKNOWN") {
        fprintf(stderr, "keypad-tool: --map %s: \"%s\" is not one of Android 14's key labels\n",
                text.c_str(), label.c_str());
        return 2;
    }
    labels[code] = label;
    return 0;
}

static int ParseOptions(int argc, char** argv, KeymapOptions& options) {
    for (int i = 0; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--kl-dir" && hasValue) {
            options.folders.push_back(argv[++i]);
        } else if (arg == "--write-kl" && hasValue) {
            options.writePath = argv[++i];
        } else if (arg == "--map" && hasValue) {
            if (ParseMap(argv[++i], options.labels) != 0) return 2;
        } else if ((arg[0] == '-' && arg.size() > 1) || options.layout) {
            return Usage();
        } else {
            options.layout = argv[i];
        }
    }
    return options.layout ? 0 : Usage();
}

// The one place that has the daemon read the layout: start-up on the in-memory board, for the
// replay engine to drive. 0, or 2 after saying why.
static int StartOnLayout(const char* layout) {
    tinyxml2::XMLDocument document;
    std::string text;
    if (LoadLayoutFile(layout, text, document) != 0) return 2;
    if (ReplayBegin(text, 0, nullptr, nullptr) != 0) {
        fprintf(stderr,
                "keypad-tool: the daemon reads no key from %s (keypad-tool check says why)\n",
                layout);
        return 2;
    }
    return 0;
}

// Android's search over the given folders: each name in every folder before the next name; a
// file with an error is passed over for the next name. The candidates tried, the last one
// loaded unless none did; 0, or 2 after saying what cannot be read.
static int SearchKeyLayout(const std::vector<std::string>& folders,
                           const std::vector<std::string>& names, std::vector<KlCandidate>& tried) {
    for (const std::string& folder : folders) {
        struct stat info;
        if (stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
            fprintf(stderr, "keypad-tool: cannot read %s: %s\n", folder.c_str(),
                    S_ISDIR(info.st_mode) || errno == 0 ? "not a folder" : strerror(errno));
            return 2;
        }
    }
    for (const std::string& name : names) {
        tried.push_back(KlCandidate{name, "", KlFile(), {}});
        KlCandidate& candidate = tried.back();
        for (std::string folder : folders) {
            while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
            const std::string path = (folder == "/" ? "" : folder) + "/" + name;
            struct stat info;
            if (stat(path.c_str(), &info) != 0) continue;
            std::string text;
            if (ReadInputFile(path.c_str(), text) != 0) return 2;
            candidate.path = path;
            ParseKlFile(text, candidate.file, candidate.errors);
            if (candidate.errors.empty()) return 0;
            break;
        }
    }
    return 0;
}

static std::string Name(uint32_t code) {
    const char* name = KeyName(code);
    return name ? name : "-";
}

static void PrintCodes(const char* layout, const KeypadDevice& device,
                       const std::vector<SentCode>& codes) {
    printf("%s: the codes the daemon sends on \"%s\" (vendor 0x%04x, product 0x%04x, version %u)\n",
           layout, device.name.c_str(), device.vendor, device.product, device.version);
    if (codes.empty()) printf("  none: the daemon sends no key (keypad-tool check says why)\n");
    for (const SentCode& sent : codes) {
        printf("  %5u %-18s %s\n", sent.code, Name(sent.code).c_str(),
               DescribeCauses(sent).c_str());
    }
}

static void PrintSearchRules(const std::vector<std::string>& names) {
    printf(
        "\nAndroid loads the first file that it finds and that has no error, trying each name "
        "in every\nfolder before the next name:\n  names:  ");
    for (size_t i = 0; i < names.size(); ++i) printf("%s %s", i ? "," : "", names[i].c_str());
    printf("\n  folders:");
    for (size_t i = 0; i < sizeof kAndroidFolders / sizeof kAndroidFolders[0]; ++i) {
        printf("%s %s", i == 0 ? "" : i == 3 ? ",\n          " : ",", kAndroidFolders[i]);
    }
    printf(
        "\nGive the set's folders (adb pull) with --kl-dir, in that order, to see which file "
        "it loads\nand whether it maps every code.\n");
}

// What the search found, and every error of the files passed over; the number of those errors.
static int PrintSearch(const std::string& name, const std::vector<KlCandidate>& tried) {
    printf("\nKey layout files for \"%s\", each name in every folder before the next name:\n",
           name.c_str());
    int errors = 0;
    for (const KlCandidate& candidate : tried) {
        if (candidate.path.empty()) {
            printf("  %-30s in no folder\n", candidate.name.c_str());
        } else if (candidate.errors.empty()) {
            printf("  %-30s %s loads\n", candidate.name.c_str(), candidate.path.c_str());
        } else {
            printf("  %-30s %s has errors: Android passes it over\n", candidate.name.c_str(),
                   candidate.path.c_str());
        }
    }
    for (const KlCandidate& candidate : tried) {
        const size_t count = candidate.errors.size();
        for (size_t i = 0; i < count && i < kShownErrors; ++i) {
            const KlError& error = candidate.errors[i];
            printf("%s:%d: error: %s\n", candidate.path.c_str(), error.line, error.text.c_str());
        }
        if (count > kShownErrors) {
            printf("%s: %zu errors more\n", candidate.path.c_str(), count - kShownErrors);
        }
        errors += static_cast<int>(count);
    }
    return errors;
}

// Each code's label in the file Android loads (nullptr: none loads); the number of errors.
static int PrintMapping(const KlCandidate* chosen, const KeypadDevice& device,
                        const std::vector<SentCode>& codes) {
    if (!chosen) {
        printf(
            "error: no key layout file loads for \"%s\": every code arrives as "
            "KEYCODE_UNKNOWN and the set ignores it\n",
            device.name.c_str());
        return 1;
    }
    printf("\nAndroid loads %s for \"%s\":\n", chosen->path.c_str(), device.name.c_str());
    int errors = 0;
    for (const SentCode& sent : codes) {
        printf("  %5u %-18s ", sent.code, Name(sent.code).c_str());
        const KlKey* key = FindKlKey(chosen->file, sent.code);
        if (!Announces(device, sent.code)) {
            printf("error: the device does not announce it, so the kernel drops it\n");
            ++errors;
        } else if (!key) {
            printf(
                "error: no line for it, so it arrives as KEYCODE_UNKNOWN and the set ignores "
                "it\n");
            ++errors;
        } else if (key->label == "UNKNOWN") {
            printf("error: line %d maps it to UNKNOWN, which the set ignores\n", key->line);
            ++errors;
        } else {
            printf("%s\n", key->label.c_str());
        }
    }
    printf(errors == 0 ? "Every code is mapped.\n" : "%d code%s the set cannot use.\n", errors,
           errors == 1 ? "" : "s");
    return errors;
}

// The layout's path as a comment may show it: one line, printable.
static std::string CommentText(const char* text) {
    std::string out;
    for (const char* c = text; *c != '\0'; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        out += byte < 0x20 || byte == 0x7f ? '?' : *c;
    }
    return out;
}

// The key layout file for the layout's codes: its text, or "" after listing the codes that have
// no label.
static std::string MakeKeyLayout(const KeymapOptions& options, const KeypadDevice& device,
                                 const std::vector<SentCode>& codes) {
    // Each line with its comment: the kernel's name and why the daemon sends the code.
    std::map<uint32_t, std::pair<KlKey, std::string>> lines;
    bool complete = true;
    for (const SentCode& sent : codes) {
        // A code the kernel drops never reaches Android: no line can help it.
        if (!Announces(device, sent.code)) continue;
        std::string label = LabelForKernelName(KeyName(sent.code));
        auto given = options.labels.find(sent.code);
        if (given != options.labels.end()) label = given->second;
        if (label.empty()) {
            printf("error: %u %s (%s) has no Android label: give it one with --map %u=LABEL\n",
                   sent.code, Name(sent.code).c_str(), DescribeCauses(sent).c_str(), sent.code);
            complete = false;
        }
        const char* name = KeyName(sent.code);
        lines[sent.code] = {KlKey{sent.code, label, {}, 0},
                            (name ? std::string(name) + ": " : "") + DescribeCauses(sent)};
    }
    if (!complete) return "";
    for (const auto& given : options.labels) {
        if (!lines.count(given.first)) {
            lines[given.first] = {KlKey{given.first, given.second, {}, 0}, "given with --map"};
        }
    }
    const std::vector<std::string> names = KeyLayoutNames(device);
    std::string text = "# Key layout for \"" + CommentText(device.name.c_str()) +
                       "\", made by keypad-tool keymap from " + CommentText(options.layout) +
                       ":\n# every code that layout makes the daemon send. Android loads it as " +
                       names[names.size() > 1 ? names.size() - 2 : 0];
    if (names.size() > 2) text += ",\n# unless it finds";
    for (size_t i = 0; i + 2 < names.size(); ++i) text += (i ? " or " : " ") + names[i];
    text += names.size() > 2 ? " first.\n" : ".\n";
    for (auto& entry : lines) {
        KlKey& key = entry.second.first;
        // The power key wakes the set.
        if (key.code == kPowerCode) key.flags.push_back("WAKE");
        std::string line = FormatKlKey(key);
        line.resize(line.size() < 32 ? 32 : line.size() + 1, ' ');
        text += line + "# " + CommentText(entry.second.second.c_str()) + "\n";
    }
    return text;
}

// 0 written, 1 codes without a label (nothing written), 2 the file cannot be written.
static int WriteKeyLayout(const KeymapOptions& options, const KeypadDevice& device,
                          const std::vector<SentCode>& codes) {
    const std::string text = MakeKeyLayout(options, device, codes);
    if (text.empty()) {
        printf("Nothing written to %s.\n", options.writePath);
        return 1;
    }
    KlFile file;
    std::vector<KlError> errors;
    ParseKlFile(text, file, errors);
    if (!errors.empty()) {
        fprintf(stderr, "keypad-tool: the key layout made for %s does not load (line %d: %s)\n",
                options.writePath, errors[0].line, errors[0].text.c_str());
        return 2;
    }
    // An interrupt lands after the file is whole, never between the temporary file and its rename.
    sigset_t held, previous;
    sigemptyset(&held);
    for (int signal : {SIGINT, SIGHUP, SIGTERM, SIGQUIT}) sigaddset(&held, signal);
    sigprocmask(SIG_BLOCK, &held, &previous);
    const int written = WriteOutputFile(options.writePath, text);
    if (written == 0) {
        printf("Wrote %s: %zu key%s.\n", options.writePath, file.keys.size(),
               file.keys.size() == 1 ? "" : "s");
        fflush(stdout);
    }
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return written == 0 ? 0 : 2;
}

int RunKeymap(int argc, char** argv) {
    KeymapOptions options;
    if (ParseOptions(argc, argv, options) != 0) return 2;

    // Everything is read before anything is printed, so that unreadable input prints nothing.
    if (StartOnLayout(options.layout) != 0) return 2;
    KeypadDevice device;
    if (ReadKeypadDevice(device) != 0) {
        fprintf(stderr, "keypad-tool: the daemon cannot set its device up on %s\n", options.layout);
        return 2;
    }
    const std::vector<SentCode> codes = FindSentCodes();
    const std::vector<std::string> names = KeyLayoutNames(device);
    std::vector<KlCandidate> tried;
    if (SearchKeyLayout(options.folders, names, tried) != 0) return 2;

    PrintCodes(options.layout, device, codes);
    int errors = 0;
    for (const SentCode& sent : codes) {
        if (!Announces(device, sent.code)) {
            printf("error: %u %s: the device does not announce it, so the kernel drops it\n",
                   sent.code, Name(sent.code).c_str());
            ++errors;
        }
    }
    if (options.folders.empty()) {
        PrintSearchRules(names);
    } else {
        errors += PrintSearch(device.name, tried);
        const bool loaded =
            !tried.empty() && tried.back().errors.empty() && !tried.back().path.empty();
        errors += PrintMapping(loaded ? &tried.back() : nullptr, device, codes);
    }
    int status = errors > 0 ? 1 : 0;
    if (options.writePath) {
        fflush(stdout);
        const int written = WriteKeyLayout(options, device, codes);
        if (written > status) status = written;
    }
    return status;
}
