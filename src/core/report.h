// The error reporter shared by every module: one switch byte and one fixed line per module.
// A failing operation calls report() and returns its neutral value; the line reaches standard
// output only while the module's switch is on, and nothing in the program turns one on.
#pragma once

#include <cstdint>

struct ErrorReporter {
    uint8_t on;        // the module's error switch; 0 at start
    const char *line;  // the module's fixed line, printed with a newline
};

void report(const ErrorReporter &reporter);  // prints the line when the switch is on

// Reports and hands back the caller's neutral value: `return report(IMGError, nullptr);`
template <typename T>
inline T report(const ErrorReporter &reporter, T neutral)
{
    report(reporter);
    return neutral;
}
