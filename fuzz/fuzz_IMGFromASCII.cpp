// Feeds arbitrary text to the image's text-form reader, and writes back what it accepts.
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "gfx/img.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    char *text = static_cast<char *>(std::malloc(size + 1));  // exactly the text and its zero
    if (!text) return 0;
    std::memcpy(text, data, size);
    text[size] = '\0';
    if (IMG *image = IMGFromASCII(text)) {
        // What was read must read back equal from its own text form.
        char *again = IMGToASCII(image);
        IMG *copy = again ? IMGFromASCII(again) : nullptr;
        if (image->width * image->height > 0 && (!copy || !IMGEqual(image, copy))) std::abort();
        if (copy) IMGFree(&copy);
        std::free(again);
        IMGFree(&image);
    }
    std::free(text);
    return 0;
}
