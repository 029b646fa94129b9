// The error reporter's one body (see report.h).
#include "core/report.h"

#include <cstdio>

void report(const ErrorReporter &reporter)
{
    if (!reporter.on || !reporter.line) return;
    std::puts(reporter.line);
    std::fflush(stdout);
}
