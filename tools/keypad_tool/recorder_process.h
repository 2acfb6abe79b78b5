// keypad-record, the program that samples the board (it links the simulated board here, the
// chip's SDK on the set, which keypad-tool's in-memory board cannot share a process with), run
// from beside keypad-tool's own executable.
#pragma once

#include <stdio.h>
#include <sys/types.h>

#include <string>
#include <vector>

// Runs keypad-record with these arguments in place of this process. Returns only when it cannot
// be started, after saying why: 2.
int ExecRecorder(const std::vector<std::string>& args);
// Starts keypad-record with these arguments and its standard output on a pipe: the pipe's read
// end, or nullptr after saying why.
FILE* StartRecorder(const std::vector<std::string>& args, pid_t& pid);
// The board's conversion period (lsadc/period_ms of $SIM_BOARD_DIR), or 0 when none is set or it
// is no period that --period-ms takes.
unsigned BoardPeriodMs();
