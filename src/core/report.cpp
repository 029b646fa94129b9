// The error reporter's one body (see report.h).
#include "core/report.h"

#include <cstdio>

void report(const ErrorReporter &reporter)
{
    // The switch may be flipped on one thread while another reports (the sound output's
    // callback runs on SDL's audio thread): read it as a relaxed atomic byte.
    if (!__atomic_load_n(&reporter.on, __ATOMIC_RELAXED) || !reporter.line) return;
    std::puts(reporter.line);
    std::fflush(stdout);
}
