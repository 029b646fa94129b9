// Feeds arbitrary bytes to the image's PNM readers: the file reader through a temporary file
// and the memory reader bounded by the input's length.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

#include "gfx/img.h"

namespace {

// Scratch files go to $TMPDIR when set (tools/fuzz.sh points it at memory), else /tmp.
std::string scratchDir()
{
    const char *dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

const std::string &scratchPath()
{
    static const std::string path = scratchDir() + "/fuzz_IMGLoadPNM." + std::to_string(::getpid());
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (IMG *image = IMGFromPNM(data, size)) IMGFree(&image);

    FILE *file = std::fopen(scratchPath().c_str(), "wb");
    if (!file) return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);
    if (IMG *image = IMGLoadPNM(scratchPath().c_str())) IMGFree(&image);
    std::remove(scratchPath().c_str());
    return 0;
}
