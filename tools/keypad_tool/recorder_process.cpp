#include "recorder_process.h"

#include <errno.h>
#include <limits.h>
#include <string.h>
#include <unistd.h>

#include "board_files.h"
#include "period_option.h"

static std::string RecorderPath() {
    char self[PATH_MAX];
    ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) return "keypad-record";
    self[length] = '\0';
    std::string path = self;
    return path.substr(0, path.rfind('/') + 1) + "keypad-record";
}

static std::vector<char*> Argv(const std::string& program, const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

int ExecRecorder(const std::vector<std::string>& args) {
    const std::string program = RecorderPath();
    std::vector<char*> argv = Argv(program, args);
    execv(program.c_str(), argv.data());
    fprintf(stderr, "keypad-tool: cannot run %s: %s\n", program.c_str(), strerror(errno));
    return 2;
}

FILE* StartRecorder(const std::vector<std::string>& args, pid_t& pid) {
    const std::string program = RecorderPath();
    std::vector<char*> argv = Argv(program, args);
    int ends[2];
    if (pipe(ends) != 0) {
        fprintf(stderr, "keypad-tool: cannot make a pipe: %s\n", strerror(errno));
        return nullptr;
    }
    fflush(nullptr);
    pid = fork();
    if (pid == 0) {
        dup2(ends[1], STDOUT_FILENO);
        close(ends[0]);
        close(ends[1]);
        execv(program.c_str(), argv.data());
        fprintf(stderr, "keypad-tool: cannot run %s: %s\n", program.c_str(), strerror(errno));
        _exit(127);
    }
    close(ends[1]);
    if (pid < 0) {
        fprintf(stderr, "keypad-tool: cannot start %s: %s\n", program.c_str(), strerror(errno));
        close(ends[0]);
        return nullptr;
    }
    return fdopen(ends[0], "r");
}

unsigned BoardPeriodMs() {
    std::vector<uint8_t> bytes;
    uint32_t period = 0;
    if (!SimReadFile("lsadc/period_ms", bytes) ||
        !SimParseNumber(std::string(bytes.begin(), bytes.end()), period) || period < kMinPeriodMs ||
        period > kMaxPeriodMs) {
        return 0;
    }
    return period;
}
