// Runs one program and reports, on one line of standard error, its wall time and CPU time in
// seconds and its peak resident memory in KiB, as the kernel accounted them for that child:
//
//   run_measured [-o FILE] PROGRAM [ARG...]
//   -> "wall=<s> user=<s> sys=<s> maxrss_kb=<n> status=<exit code>"
//
// -o sends the program's standard output to FILE. The exit code is the program's.
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

static double Seconds(const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; }

static double Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec / 1e9;
}

int main(int argc, char** argv) {
    int first = 1;
    const char* output = nullptr;
    if (argc > 2 && strcmp(argv[1], "-o") == 0) {
        output = argv[2];
        first = 3;
    }
    if (first >= argc) {
        fprintf(stderr, "usage: run_measured [-o FILE] PROGRAM [ARG...]\n");
        return 125;
    }

    const double started = Now();
    const pid_t child = fork();
    if (child < 0) {
        perror("fork");
        return 125;
    }
    if (child == 0) {
        if (output != nullptr) {
            const int fd = open(output, O_WRONLY | O_CREAT | O_TRUNC, 0644);
            if (fd < 0 || dup2(fd, STDOUT_FILENO) < 0) {
                perror(output);
                _exit(126);
            }
            close(fd);
        }
        execvp(argv[first], argv + first);
        perror(argv[first]);
        _exit(127);
    }

    int status = 0;
    rusage usage;
    if (wait4(child, &status, 0, &usage) < 0) {
        perror("wait4");
        return 125;
    }
    const double ended = Now();
    const int code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    fprintf(stderr, "wall=%.6f user=%.6f sys=%.6f maxrss_kb=%ld status=%d\n", ended - started,
            Seconds(usage.ru_utime), Seconds(usage.ru_stime), usage.ru_maxrss, code);
    return code;
}
