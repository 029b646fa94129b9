// Feeds arbitrary text to the text readers of the modules that have no text form: each must
// give null for any text, touching nothing (the image, map and sample forms have targets of
// their own).
#include <cstdint>
#include <cstdlib>
#include <string>

#include "audio/music.h"
#include "core/list.h"
#include "fx/bplasma.h"
#include "fx/bscroll.h"
#include "fx/raster.h"
#include "gfx/bfont.h"
#include "gfx/cursor.h"
#include "gfx/font.h"
#include "platform/sdldpy.h"
#include "platform/sdlkbd.h"
#include "platform/sdlsnd.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);  // ends at its zero
    const char *t = text.c_str();
    const void *made[] = {LISTFromASCII(t),    FONTFromASCII(t),   BFONTFromASCII(t),
                          CURSORFromASCII(t),  BPLASMAFromASCII(t), BSCROLLFromASCII(t),
                          RASTERFromASCII(t),  MUSICFromASCII(t),  SDLDPYFromASCII(t),
                          SDLKBDFromASCII(t),  SDLSNDFromASCII(t)};
    for (const void *record : made)
        if (record) std::abort();
    return 0;
}
