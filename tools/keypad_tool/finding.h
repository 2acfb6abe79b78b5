// A finding of the layout check: a line of the file, how bad it is, and what is wrong.
#pragma once

#include <stdio.h>

#include <string>
#include <vector>

enum Severity { kWarning, kError };

struct Finding {
    int line;
    Severity severity;
    std::string text;
};

typedef std::vector<Finding> Findings;

void AddFinding(Findings& findings, int line, Severity severity, const char* format, ...)
    __attribute__((format(printf, 4, 5)));
// In the order of the file's lines; findings of one line keep the order they were found in.
void SortFindings(Findings& findings);
// "FILE:LINE: error: text", one a line.
void PrintFindings(FILE* out, const char* file, const Findings& findings);
int CountFindings(const Findings& findings, Severity severity);

// What a command ends its report with, on standard output: "Findings: none" or "Findings:"
// (unless quiet), the findings of the file and then of the other file (nullptr: none), and
// (unless quiet) the count of errors and warnings. The number of errors.
int PrintFindingsSection(bool quiet, const char* file, const Findings& findings,
                         const char* other = nullptr, const Findings* otherFindings = nullptr,
                         int* warningCount = nullptr);
