// Feeds arbitrary text to the sample's text-form reader. What it accepts must fit the text
// (no value without a character of its own) and read back equal from its own text form.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "audio/sample.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    char *text = static_cast<char *>(std::malloc(size + 1));  // exactly the text and its zero
    if (!text) return 0;
    std::memcpy(text, data, size);
    text[size] = '\0';
    if (SAMPLE *sample = SAMPLEFromASCII(text)) {
        if (sample->length < 0 || static_cast<size_t>(sample->length) > size) std::abort();
        char *again = SAMPLEToASCII(sample);
        SAMPLE *copy = again ? SAMPLEFromASCII(again) : nullptr;
        if (!copy || !SAMPLEEqual(sample, copy)) std::abort();
        SAMPLEFree(&copy);
        std::free(again);
        SAMPLEFree(&sample);
    }
    std::free(text);
    return 0;
}
