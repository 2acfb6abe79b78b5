#include "check_command.h"

#include <stdio.h>
#include <tinyxml2.h>

#include "daemon_startup.h"
#include "finding.h"
#include "input_file.h"
#include "layout_checks.h"
#include "layout_elements.h"
#include "layout_file.h"
#include "layout_report.h"

// The document must outlive the findings' element pointers: it lives as long as the process.
static tinyxml2::XMLDocument document;

int FindLayoutProblems(const char* name, const std::string& text, LayoutElements& elements,
                       Findings& findings) {
    findings.clear();
    if (ParseLayoutText(name, text, document) != 0) return -1;
    WalkLayout(document, elements, findings);
    // The records come from the daemon's own reading of the same bytes; a root it rejects leaves
    // them all off, and the walk has said why.
    StartDaemonOnLayout(text);
    CheckLayout(elements, findings);
    SortFindings(findings);
    return 0;
}

int RunCheck(const CheckOptions& options) {
    std::string text;
    if (ReadInputFile(options.file, text) != 0) return 2;
    Findings findings;
    LayoutElements elements;
    if (FindLayoutProblems(options.file, text, elements, findings) != 0) return 2;

    if (!options.quiet) PrintLayout(stdout, options.file, elements);
    int warnings = 0;
    const int errors =
        PrintFindingsSection(options.quiet, options.file, findings, nullptr, nullptr, &warnings);
    return errors > 0 || (options.strict && warnings > 0) ? 1 : 0;
}
