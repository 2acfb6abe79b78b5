#include "finding.h"

#include <stdarg.h>

#include <algorithm>

void AddFinding(Findings& findings, int line, Severity severity, const char* format, ...) {
    char text[512];
    va_list args;
    va_start(args, format);
    vsnprintf(text, sizeof text, format, args);
    va_end(args);
    findings.push_back(Finding{line, severity, text});
}

void SortFindings(Findings& findings) {
    std::stable_sort(findings.begin(), findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
}

void PrintFindings(FILE* out, const char* file, const Findings& findings) {
    for (const Finding& f : findings) {
        fprintf(out, "%s:%d: %s: %s\n", file, f.line, f.severity == kError ? "error" : "warning",
                f.text.c_str());
    }
}

int CountFindings(const Findings& findings, Severity severity) {
    return static_cast<int>(std::count_if(findings.begin(), findings.end(), [&](const Finding& f) {
        return f.severity == severity;
    }));
}

int PrintFindingsSection(bool quiet, const char* file, const Findings& findings, const char* other,
                         const Findings* otherFindings, int* warningCount) {
    const Findings none;
    const Findings& more = otherFindings ? *otherFindings : none;
    const int errors = CountFindings(findings, kError) + CountFindings(more, kError);
    const int warnings = CountFindings(findings, kWarning) + CountFindings(more, kWarning);
    if (!quiet) printf(errors + warnings == 0 ? "Findings: none\n" : "Findings:\n");
    PrintFindings(stdout, file, findings);
    if (other) PrintFindings(stdout, other, more);
    if (!quiet && errors + warnings > 0) {
        printf("%d error%s, %d warning%s\n", errors, errors == 1 ? "" : "s", warnings,
               warnings == 1 ? "" : "s");
    }
    if (warningCount) *warningCount = warnings;
    return errors;
}
