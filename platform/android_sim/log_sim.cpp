// The Android log off the device: each message becomes exactly one line on standard error,
// "<priority letter>/<tag>: <text>", written with a single write so that messages from two
// threads never interleave.
#include <android/log.h>
#include <stdarg.h>
#include <stdio.h>
#include <unistd.h>

#include <string>

static char PriorityLetter(int prio) {
    switch (prio) {
        case ANDROID_LOG_VERBOSE:
            return 'V';
        case ANDROID_LOG_DEBUG:
            return 'D';
        case ANDROID_LOG_INFO:
            return 'I';
        case ANDROID_LOG_WARN:
            return 'W';
        case ANDROID_LOG_ERROR:
            return 'E';
        case ANDROID_LOG_FATAL:
            return 'F';
        case ANDROID_LOG_SILENT:
            return 'S';
        default:
            return '?';
    }
}

int __android_log_print(int prio, const char* tag, const char* fmt, ...) {
    std::string text;
    if (fmt) {
        va_list args;
        va_start(args, fmt);
        va_list again;
        va_copy(again, args);
        int length = vsnprintf(nullptr, 0, fmt, args);
        va_end(args);
        if (length > 0) {
            text.resize(static_cast<size_t>(length) + 1);
            vsnprintf(&text[0], text.size(), fmt, again);
            text.resize(static_cast<size_t>(length));
        }
        va_end(again);
    }
    // Messages usually end in a newline of their own; the line gets exactly one.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
    for (char& c : text) {
        if (c == '\n') {
            c = ' ';
        }
    }
    std::string line =
        std::string(1, PriorityLetter(prio)) + "/" + (tag ? tag : "") + ": " + text + "\n";
    size_t done = 0;
    while (done < line.size()) {
        ssize_t put = write(STDERR_FILENO, line.data() + done, line.size() - done);
        if (put <= 0) {
            return -1;
        }
        done += static_cast<size_t>(put);
    }
    return static_cast<int>(line.size());
}
