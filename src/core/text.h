// TEXT: helpers over NUL-terminated byte strings and whole files. No record, no state.
// A line is a run of bytes ended by a newline (10). The operations never report; a null text
// counts as empty and a file that cannot be used gives 0, null or a non-zero result.
#pragma once

#include <cstdint>

#include "core/report.h"

extern ErrorReporter TEXTError;  // switch off at start; line "TEXT Error." (no operation calls it)

// Largest file TEXTRead loads (its buffer is one byte more).
constexpr int32_t TEXT_READ_MAX = INT32_MAX - 1;

int32_t TEXTWidth(const char *text);    // longest newline-terminated line, newline not counted
int32_t TEXTLines(const char *text);    // number of newline bytes
int32_t TEXTLength(const char *text);   // bytes before the terminating NUL
void TEXTUpper(char *text);             // 'a'..'z' become 'A'..'Z' in place; other bytes stay
int32_t TEXTFileSize(const char *path); // size in bytes; 0 when the file cannot be opened,
                                        // -1 when its size cannot be told or exceeds TEXT_READ_MAX
char *TEXTRead(const char *path);       // new zero-filled buffer of size + 1 bytes holding the
                                        // file (caller frees); null when it cannot be read
int32_t TEXTWrite(const char *text, const char *path);  // writes the bytes without the NUL;
                                        // 0 on success, non-zero when opening, writing or closing failed
