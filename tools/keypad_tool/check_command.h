// keypad-tool check: the layout as the daemon reads it, and what is wrong with it.
#pragma once

#include <string>

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

// Starts the daemon on a layout held in memory (text, as LoadLayoutFile or ReadInputFile read it)
// and finds what is wrong with it, in the order of its lines: 0, or -1 when it is not XML (said on
// standard error, where name labels it). The elements stay valid until the next call.
int FindLayoutProblems(const char* name, const std::string& text, LayoutElements& elements,
                       Findings& findings);
