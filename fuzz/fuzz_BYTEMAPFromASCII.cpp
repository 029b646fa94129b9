// Feeds arbitrary text to the bytemap's text-form reader, and writes back what it accepts.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "gfx/bytemap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    char *text = static_cast<char *>(std::malloc(size + 1));  // exactly the text and its zero
    if (!text) return 0;
    std::memcpy(text, data, size);
    text[size] = '\0';
    if (BYTEMAP *map = BYTEMAPFromASCII(text)) {
        // What was read must read back equal from its own text form.
        char *again = BYTEMAPToASCII(map);
        BYTEMAP *copy = again ? BYTEMAPFromASCII(again) : nullptr;
        if (map->width * map->height > 0 && (!copy || !BYTEMAPEqual(map, copy))) std::abort();
        if (copy) BYTEMAPFree(&copy);
        std::free(again);
        BYTEMAPFree(&map);
    }
    std::free(text);
    return 0;
}
