// Feeds arbitrary bytes to the bytemap's PNM readers: the file reader through a temporary file
// and the memory reader bounded by the input's length.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "gfx/bytemap.h"

namespace {

// Scratch files go to $TMPDIR when set (tools/fuzz.sh points it at memory), else /tmp.
std::string scratchDir()
{
    const char *dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

const std::string &scratchPath()
{
    static const std::string path = scratchDir() + "/fuzz_BYTEMAPLoadPNM." + std::to_string(::getpid());
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (BYTEMAP *map = BYTEMAPFromPNM(data, size)) BYTEMAPFree(&map);

    FILE *file = std::fopen(scratchPath().c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    if (BYTEMAP *map = BYTEMAPLoadPNM(scratchPath().c_str())) BYTEMAPFree(&map);
    std::remove(scratchPath().c_str());
    return 0;
}
