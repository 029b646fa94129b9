// The compiled-in data: glyph sheets, ASCII-art logos, texts, the bar colours and the
// percussion patterns. Built from the files in assets/ (see assets/SOURCES.md); read-only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/sample.h"

// ---- Pictures: whole PNM files (magic, one comment line, size, maximum, cells) ----
// Each array is the file followed by one NUL; *_SIZE is the file's byte count.
extern const unsigned char TAG_SHEET[];   // P6 256 x 80, 8 x 8 ASCII glyphs, 0 blank, 204 block
extern const size_t TAG_SHEET_SIZE;
extern const unsigned char TEXT_SHEET[];  // P6 256 x 80, 8 x 8 texture palette of the text-mode scenes
extern const size_t TEXT_SHEET_SIZE;
extern const unsigned char BIG_SHEET[];   // P4 1024 x 128, 32 x 32 ASCII letters of the scroller
extern const size_t BIG_SHEET_SIZE;
extern const unsigned char PAGE_SHEET[];  // P6 1024 x 128, 32 x 32 glyphs; 16..23 are background tiles
extern const size_t PAGE_SHEET_SIZE;

// ---- ASCII-art logos: NUL-terminated, every line (the last too) ends with a newline ----
extern const char LOGO_RAIN[];    // 14 lines of 32: 'A' logo cell, space empty (462 bytes)
extern const char LOGO_PLASMA[];  // 14 lines of 32, as LOGO_RAIN (462 bytes)
extern const char LOGO_FRAME[];   // 16 lines of 127: '#' outline, '*' fill, space empty (2048 bytes)

// ---- Texts ----
extern const char SCROLL_TEXT[];  // one line of 1891 characters, ' ' to 'z'
extern const char PAGES_TEXT[];   // 3564 bytes: six pages, each ended by the byte 1

// ---- Tables ----
constexpr int32_t BAR_COLOUR_COUNT = 96;
struct COLOURTABLE {
    int32_t count;                        // 96
    uint32_t colours[BAR_COLOUR_COUNT];   // 0x00RRGGBB, a six-ramp rainbow starting and ending red
};
extern const COLOURTABLE BAR_COLOURS;

constexpr int32_t PATTERN_COUNT = 14;
constexpr int32_t PATTERN_LENGTH = 11024;  // values per pattern, one short of a quarter second
struct PATTERNTABLE {
    int32_t count;                    // PATTERN_COUNT
    SAMPLE patterns[PATTERN_COUNT];   // length = capacity = 11024; values in static storage
};
// The percussion: copy a record with SAMPLECopy before changing anything; the values are
// constant data and must never be written.
extern const PATTERNTABLE PATTERNS;
