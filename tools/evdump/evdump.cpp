// evdump: finds an input device by name among /dev/input/event*, prints what it announces and
// then every event it reports, one line each and without time stamps, so that two runs of the
// same key presses print the same text.
//
//   evdump [--name NAME] [--wait MS] [--timeout MS] [--count N] [--info]
//
//   --name     device to look for (default "Hi Keypad")
//   --wait     how long to keep looking for it (default 10000 ms)
//   --timeout  stop listening after this long (default: until the device goes away)
//   --count    stop after this many events, sync events included
//   --info     print the description only
//
// Exit status: 0 after a normal end (device removed, time-out, count reached, SIGTERM/SIGINT),
// 2 for bad arguments, 3 when no such device turned up in time.
#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <poll.h>
#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

volatile sig_atomic_t stopRequested = 0;

void OnStopSignal(int) { stopRequested = 1; }

struct Options {
    std::string name = "Hi Keypad";
    long waitMs = 10000;
    long timeoutMs = -1;
    long count = -1;
    bool infoOnly = false;
};

long NowMs() {
    timespec now = {};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

bool ParseNumber(const char* text, long& out) {
    char* end = nullptr;
    errno = 0;
    long value = strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 0) return false;
    out = value;
    return true;
}

bool ParseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        bool hasValue = i + 1 < argc;
        if (arg == "--info") {
            options.infoOnly = true;
        } else if (arg == "--name" && hasValue) {
            options.name = argv[++i];
        } else if (arg == "--wait" && hasValue) {
            if (!ParseNumber(argv[++i], options.waitMs)) return false;
        } else if (arg == "--timeout" && hasValue) {
            if (!ParseNumber(argv[++i], options.timeoutMs)) return false;
        } else if (arg == "--count" && hasValue) {
            if (!ParseNumber(argv[++i], options.count)) return false;
        } else {
            return false;
        }
    }
    return true;
}

// Opens the first event device with that name; the caller owns both the device and its fd.
libevdev* FindDevice(const std::string& name) {
    DIR* dir = opendir("/dev/input");
    if (!dir) return nullptr;
    std::vector<std::string> nodes;
    while (dirent* entry = readdir(dir)) {
        if (strncmp(entry->d_name, "event", 5) == 0) nodes.push_back(entry->d_name);
    }
    closedir(dir);
    for (const std::string& node : nodes) {
        int fd = open(("/dev/input/" + node).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        libevdev* device = nullptr;
        if (libevdev_new_from_fd(fd, &device) == 0) {
            const char* found = libevdev_get_name(device);
            if (found && name == found) return device;
            libevdev_free(device);
        }
        close(fd);
    }
    return nullptr;
}

// Key codes as ranges of consecutive codes: "1-254,416,744".
std::string KeyRanges(const libevdev* device) {
    std::string text;
    int start = -1;
    for (int code = 0; code <= KEY_MAX + 1; ++code) {
        bool has = code <= KEY_MAX && libevdev_has_event_code(device, EV_KEY, code);
        if (has && start < 0) start = code;
        if (!has && start >= 0) {
            if (!text.empty()) text += ",";
            text += std::to_string(start);
            if (code - 1 > start) text += "-" + std::to_string(code - 1);
            start = -1;
        }
    }
    return text.empty() ? "none" : text;
}

void PrintDescription(const libevdev* device) {
    printf("name: %s\n", libevdev_get_name(device));
    printf("bus: 0x%02x\n", libevdev_get_id_bustype(device));
    printf("vendor: 0x%04x\n", libevdev_get_id_vendor(device));
    printf("product: 0x%04x\n", libevdev_get_id_product(device));
    printf("version: 0x%04x\n", libevdev_get_id_version(device));
    std::string types;
    for (unsigned int type = 0; type <= EV_MAX; ++type) {
        if (!libevdev_has_event_type(device, type)) continue;
        const char* typeName = libevdev_event_type_get_name(type);
        if (!types.empty()) types += " ";
        types += typeName ? typeName : std::to_string(type);
    }
    printf("types: %s\n", types.c_str());
    printf("keys: %s\n", KeyRanges(device).c_str());
    fflush(stdout);
}

void PrintEvent(const input_event& event) {
    const char* typeName = libevdev_event_type_get_name(event.type);
    const char* codeName = libevdev_event_code_get_name(event.type, event.code);
    printf("event %u %u %d %s %s\n", event.type, event.code, event.value, typeName ? typeName : "?",
           codeName ? codeName : "?");
    fflush(stdout);
}

// Reads until the device goes away or a limit is reached.
void Listen(libevdev* device, const Options& options) {
    const long deadline = options.timeoutMs >= 0 ? NowMs() + options.timeoutMs : -1;
    long printed = 0;
    pollfd watch = {libevdev_get_fd(device), POLLIN, 0};
    while (!stopRequested && (options.count < 0 || printed < options.count)) {
        int waitMs = -1;
        if (deadline >= 0) {
            long left = deadline - NowMs();
            if (left <= 0) return;
            waitMs = static_cast<int>(left);
        }
        int ready = poll(&watch, 1, waitMs);
        if (ready < 0 && errno == EINTR) continue;
        if (ready < 0) return;
        if (ready == 0) continue;
        if (watch.revents & (POLLERR | POLLHUP | POLLNVAL)) return;
        input_event event;
        int rc;
        while ((rc = libevdev_next_event(device, LIBEVDEV_READ_FLAG_NORMAL, &event)) >= 0) {
            if (rc == LIBEVDEV_READ_STATUS_SYNC) {
                // The kernel dropped events: say so rather than print a made-up sequence.
                printf("dropped events\n");
                fflush(stdout);
                while (libevdev_next_event(device, LIBEVDEV_READ_FLAG_SYNC, &event) ==
                       LIBEVDEV_READ_STATUS_SYNC) {
                }
                continue;
            }
            PrintEvent(event);
            if (options.count >= 0 && ++printed >= options.count) return;
        }
        if (rc != -EAGAIN) return;  // -ENODEV: the device was removed
    }
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        fprintf(stderr, "usage: %s [--name NAME] [--wait MS] [--timeout MS] [--count N] [--info]\n",
                argv[0]);
        return 2;
    }
    struct sigaction stop = {};
    stop.sa_handler = OnStopSignal;
    sigaction(SIGTERM, &stop, nullptr);
    sigaction(SIGINT, &stop, nullptr);

    const long giveUp = NowMs() + options.waitMs;
    libevdev* device = FindDevice(options.name);
    while (!device && !stopRequested && NowMs() < giveUp) {
        usleep(20 * 1000);
        device = FindDevice(options.name);
    }
    if (!device) {
        fprintf(stderr, "evdump: no device named \"%s\"\n", options.name.c_str());
        return 3;
    }
    PrintDescription(device);
    if (!options.infoOnly) Listen(device, options);
    int fd = libevdev_get_fd(device);
    libevdev_free(device);
    close(fd);
    return 0;
}
