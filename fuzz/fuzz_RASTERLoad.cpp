// Feeds arbitrary bytes to the colour table reader through a temporary file. A table it accepts
// must be exactly the input, and saving it again must give the same bytes back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <unistd.h>

#include "fx/raster.h"
#include "gfx/img.h"

namespace {

// Scratch files go to $TMPDIR when set (tools/fuzz.sh points it at memory), else /tmp.
std::string scratchDir()
{
    const char *dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

const std::string &scratchPath(const char *tag)
{
    static const std::string in = scratchDir() + "/fuzz_RASTERLoad.in." + std::to_string(::getpid());
    static const std::string out = scratchDir() + "/fuzz_RASTERLoad.out." + std::to_string(::getpid());
    return tag[0] == 'i' ? in : out;
}

bool writeFile(const std::string &path, const uint8_t *data, size_t size)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = std::fwrite(data, 1, size, file) == size;
    return std::fclose(file) == 0 && ok;
}

std::vector<uint8_t> readFile(const std::string &path)
{
    std::vector<uint8_t> bytes;
    if (FILE *file = std::fopen(path.c_str(), "rb")) {
        for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<uint8_t>(c));
        std::fclose(file);
    }
    return bytes;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string &in = scratchPath("in"), &out = scratchPath("out");
    if (!writeFile(in, data, size)) return 0;
    RASTER *raster = RASTERLoad(in.c_str());
    std::remove(in.c_str());
    if (!raster) return 0;

    // Accepted: the count and colours are the input's, and nothing follows them.
    if (raster->count < 1 || raster->count > RASTER_MAX_COUNT ||
        size != 4 + 4 * static_cast<size_t>(raster->count))
        __builtin_trap();
    if (RASTERSave(raster, out.c_str()) != 1) __builtin_trap();
    const std::vector<uint8_t> again = readFile(out);
    std::remove(out.c_str());
    if (again.size() != size || std::memcmp(again.data(), data, size) != 0) __builtin_trap();

    // A loaded table drives every operation safely.
    IMG *image = IMGNew();
    if (image) {
        raster->speed = static_cast<int32_t>(raster->table[0]);
        RASTERAdvance(raster);
        RASTERDraw(raster, image);
        RASTERDrawBlended(raster, image, static_cast<int32_t>(raster->table[raster->count - 1]));
        RASTERSmooth(raster, 1 + static_cast<int32_t>(raster->table[0] & 0xFFFF));
        IMGFree(&image);
    }
    RASTERFree(&raster);
    return 0;
}
