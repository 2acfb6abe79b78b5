// keypad-tool check: the layout as the daemon reads it, and what is wrong with it.
#pragma once

#include "finding.h"
#include "layout_elements.h"

struct CheckOptions {
    const char* file;
    bool quiet;   // findings only
    bool strict;  // warnings fail too
};

// 0 clean (or warnings only, unless strict), 1 findings that fail, 2 the file cannot be read or
// is not XML.
int RunCheck(const CheckOptions& options);

// Starts the daemon on the file and finds what is wrong with it, in the order of the file's
// lines: 0, or -1 when it cannot be read or is not XML (said on standard error).
int FindLayoutProblems(const char* file, LayoutElements& elements, Findings& findings);
