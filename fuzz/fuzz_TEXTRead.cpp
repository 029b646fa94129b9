// Feeds arbitrary bytes to the whole-file reader through a temporary file. The buffer must hold
// exactly the file and one zero after it; the line measures must stay inside it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <unistd.h>

#include "core/text.h"

namespace {

// Scratch files go to $TMPDIR when set (tools/fuzz.sh points it at memory), else /tmp.
std::string scratchDir()
{
    const char *dir = std::getenv("TMPDIR");
    return dir && *dir ? dir : "/tmp";
}

const std::string &scratchPath()
{
    static const std::string path = scratchDir() + "/fuzz_TEXTRead." + std::to_string(::getpid());
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string &path = scratchPath();
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) return 0;
    const bool written = std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written) return 0;

    if (TEXTFileSize(path.c_str()) != static_cast<int32_t>(size)) std::abort();
    char *text = TEXTRead(path.c_str());
    if (!text) std::abort();
    if (size && std::memcmp(text, data, size) != 0) std::abort();
    if (text[size] != '\0') std::abort();

    const int32_t length = TEXTLength(text);
    if (length < 0 || static_cast<size_t>(length) > size) std::abort();
    if (TEXTWidth(text) > length || TEXTLines(text) > length) std::abort();
    TEXTUpper(text);
    if (TEXTLength(text) != length) std::abort();

    // Written back, the file holds the text up to its first zero byte.
    if (TEXTWrite(text, path.c_str()) != 0) std::abort();
    if (TEXTFileSize(path.c_str()) != length) std::abort();
    std::free(text);
    std::remove(path.c_str());
    return 0;
}
