// kova-record: records the demo deterministically. Runs the real start-up and scene cycle on a
// virtual clock (every frame lasts exactly one period, nothing sleeps), dumps every shown frame
// as frame-NNNNN.ppm, pulls the sound from the sound output's callback in step with the frames
// into sound.wav, presses keys from a script at given frames, and ends the run by pressing
// Escape at the last frame, so the quit's fade is recorded too. Two runs with the same script
// give byte-identical files. It can keep only chosen frames (each other frame's file is removed
// as soon as the frame has been shown), and with ffmpeg on the PATH write one MP4 of both. For
// long runs it can start its clock near the frame timer's wrap and log every frame's state.
#include <SDL.h>
#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "demo/cycle.h"
#include "demo/demo.h"
#include "demo/headless.h"
#include "demo/scenes.h"
#include "demo/soundtrack.h"
#include "platform/fps.h"
#include "platform/sdlsnd.h"

namespace {

constexpr const char *USAGE =
    "usage: kova-record --frames N [--keys LIST] [--script FILE] [--only LIST] [--out DIR]\n"
    "                   [--mp4 FILE] [--clock-start US] [--log FILE]\n"
    "       kova-record --scene-lengths\n"
    "  --frames N     frames of the scene cycle to record; Escape is pressed at frame N and the\n"
    "                 64 frames of the fade follow (default 250, at most 1217330: the sound of\n"
    "                 N + 64 frames at 25 per second must fit one WAV file)\n"
    "  --keys LIST    key presses FRAME:KEY, separated by commas or spaces, e.g. 50:f,300:space\n"
    "                 KEY is one character, 'space', 'esc' or a byte as 0xNN (two hex digits);\n"
    "                 one key per frame, frames 1 to N-1; each key is held for one frame;\n"
    "                 FIRST-LAST:KEY presses the key at every frame from FIRST to LAST,\n"
    "                 e.g. 100-139:a\n"
    "  --script FILE  more key presses, same form, one or more per line, '#' starts a comment\n"
    "  --only LIST    write only these frames (the sound stays whole): numbers and inclusive\n"
    "                 ranges separated by commas or spaces, e.g. 1,250-256,1000; frames 1 to\n"
    "                 N+64, the fade included; not with --mp4\n"
    "  --out DIR      where frame-00001.ppm ... and sound.wav go (default: recording); created\n"
    "                 if missing; must not hold frames or sound of an earlier recording\n"
    "  --mp4 FILE     also write FILE with picture and sound (needs ffmpeg)\n"
    "  --clock-start US  the frame timer's clock at frame 1, in microseconds (default 0); it\n"
    "                 wraps at 4294967296, e.g. 4294000000 wraps 0.97 s into the recording\n"
    "  --log FILE     one line per frame: frame, clock, frame rate read-out, frames shown,\n"
    "                 heap bytes in use, checksum of the music's loop\n"
    "  --scene-lengths  print the frames of one visit of each scene when no key ends it, at 25\n"
    "                 and at 50 frames per second, one scene a line: SCENE FRAMES25 FRAMES50\n"
    "                 (scene 5's page end may come sooner), and make nothing\n";

constexpr int64_t RATE = SDLSND_RATE;

// The sound of one frame is at most 40 ms (25 frames per second, the slower speed): 1,764
// values of 2 bytes. A WAV file counts its bytes in 32 bits, the 36 bytes of header after its
// size field included, so a run is refused up front when its N + 64 frames could exceed that.
constexpr int64_t MAX_FRAME_BYTES = 2 * RATE / 25;
constexpr int64_t MAX_SOUND_BYTES = int64_t{UINT32_MAX} - 36;
constexpr int32_t MAX_FRAMES = static_cast<int32_t>(MAX_SOUND_BYTES / MAX_FRAME_BYTES - 64);

// Key presses FIRST-LAST:KEY, kept as the ranges they were written as: a range of a million
// frames costs no more than one frame.
struct KeyRange {
    int32_t first;
    int32_t last;
    uint8_t key;
    uint32_t source;  // index into Options::sources: where the press was written
};

struct Options {
    int32_t frames = 250;
    std::vector<KeyRange> keys;            // sorted by frame, none overlapping
    std::vector<std::string> sources;      // "--keys" or a script's name, for the error lines
    std::vector<std::pair<int32_t, int32_t>> only;  // frames kept, as inclusive ranges; empty: all
    std::string out = "recording";
    std::string mp4;
    uint32_t clockStart = 0;  // the frame timer's clock at frame 1
    std::string log;
};

// The recording in progress: the virtual time, the sound pulled so far, the frames' lengths.
struct Recording {
    Options options;
    std::FILE *wav = nullptr;
    std::FILE *log = nullptr;      // --log
    int64_t now = 0;               // virtual microseconds since frame 1 started
    int32_t frame = 0;             // the frame whose FPSUpdate read the clock last
    int32_t dumped = 0;            // frames the display had written at that reading
    int32_t settled = 0;           // frames 1 to settled are kept or removed (--only)
    int64_t values = 0;            // sound values written so far
    std::vector<uint8_t> chunk;    // one frame's sound, as the callback fills it
    std::string mp4List;           // the private folder of the MP4's frame list, while it stands
    std::vector<int64_t> lengths;  // microseconds per recorded frame, frame 1 first
    std::vector<HeadlessKey> script;  // the key ranges, then Escape from frame N on
    bool started = false;
    bool finished = false;
} rec;

[[noreturn]] void die(const std::string &message)
{
    std::fprintf(stderr, "kova-record: %s\n", message.c_str());
    std::_Exit(1);
}

// Any allocation that fails ends the run with one line. The line is written without allocating.
void outOfMemory()
{
    std::fputs("kova-record: out of memory\n", stderr);
    std::_Exit(1);
}

// Text from the command line or a script, as it may be shown on a terminal: printable ASCII as
// it is, every other byte (NUL, control and escape bytes, bytes of other encodings) and the
// backslash as \xNN; at most `limit` bytes of it, then "...".
std::string printable(const std::string &text, size_t limit = SIZE_MAX)
{
    std::string out;
    for (size_t i = 0; i < text.size() && i < limit; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    if (text.size() > limit) out += "...";
    return out;
}

bool parseInt(const std::string &text, int32_t &value)
{
    if (text.empty() || text.size() > 9) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    value = std::atoi(text.c_str());
    return true;
}

bool parseKey(const std::string &name, uint8_t &key)
{
    if (name.size() == 1) {
        key = static_cast<uint8_t>(name[0]);
        return true;
    }
    if (name == "space") return key = static_cast<uint8_t>(SDLK_SPACE), true;
    if (name == "esc" || name == "escape") return key = static_cast<uint8_t>(SDLK_ESCAPE), true;
    // 0xNN: exactly two hex digits (strtol alone would take a sign or a space).
    auto digit = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    if (name.size() == 4 && name[0] == '0' && (name[1] == 'x' || name[1] == 'X') && digit(name[2]) >= 0 &&
        digit(name[3]) >= 0)
        return key = static_cast<uint8_t>(16 * digit(name[2]) + digit(name[3])), true;
    return false;
}

// A frame number or an inclusive range FIRST-LAST of them (FIRST <= LAST).
bool parseRange(const std::string &text, std::pair<int32_t, int32_t> &range)
{
    const size_t dash = text.find('-');
    if (dash == std::string::npos) return parseInt(text, range.first) && parseInt(text, range.second);
    return parseInt(text.substr(0, dash), range.first) && parseInt(text.substr(dash + 1), range.second) &&
           range.first <= range.second;
}

constexpr size_t TOKEN_SHOWN = 64;  // bytes of a bad token shown in its error line

// Hands every token of a text to `take`: tokens are separated by commas or white space, and
// '#' starts a comment that runs to the end of the line.
template <typename Take>
void forTokens(const std::string &text, Take take)
{
    std::string token;
    bool comment = false;
    auto flush = [&] {
        if (!token.empty()) take(token);
        token.clear();
    };
    for (char c : text) {
        if (c == '\n') comment = false;
        if (comment) continue;
        if (c == '#') {
            flush();
            comment = true;
        } else if (c == ',' || c == ' ' || c == '\t' || c == '\n' || c == '\r') {
            flush();
        } else {
            token += c;
        }
    }
    flush();
}

// Adds every FRAME:KEY or FIRST-LAST:KEY token of a text, once o.frames is known. Reports the
// first bad token.
void addKeys(const std::string &text, const std::string &where, Options &o)
{
    const auto source = static_cast<uint32_t>(o.sources.size());
    o.sources.push_back(where);
    forTokens(text, [&](const std::string &token) {
        const size_t colon = token.find(':');
        std::pair<int32_t, int32_t> frames;
        uint8_t key = 0;
        if (colon == std::string::npos || !parseRange(token.substr(0, colon), frames) ||
            !parseKey(token.substr(colon + 1), key))
            die(printable(where) + ": bad key press '" + printable(token, TOKEN_SHOWN) +
                "' (want FRAME:KEY, e.g. 120:space, or FIRST-LAST:KEY)");
        for (int32_t frame : {frames.first, frames.second})
            if (frame < 1 || frame >= o.frames)
                die("key at frame " + std::to_string(frame) + " lies outside frames 1 to " + std::to_string(o.frames - 1));
        o.keys.push_back({frames.first, frames.second, key, source});
    });
}

// Orders the key ranges by frame; two that share a frame end the run, named by the source of
// the one written later.
void sortKeys(Options &o)
{
    std::stable_sort(o.keys.begin(), o.keys.end(),
                     [](const KeyRange &a, const KeyRange &b) { return a.first < b.first; });
    size_t reach = 0;  // the range reaching furthest so far
    for (size_t i = 1; i < o.keys.size(); ++i) {
        const KeyRange &a = o.keys[reach], &b = o.keys[i];
        if (b.first <= a.last)
            die(printable(o.sources[std::max(a.source, b.source)]) + ": two keys at frame " + std::to_string(b.first));
        if (b.last > a.last) reach = i;
    }
}

// Adds the frames and ranges of an --only list.
void addOnly(const std::string &text, Options &o)
{
    const size_t before = o.only.size();
    forTokens(text, [&](const std::string &token) {
        std::pair<int32_t, int32_t> range;
        if (!parseRange(token, range) || range.first < 1)
            die("--only: bad frame or range '" + printable(token, TOKEN_SHOWN) + "' (want e.g. 1,250-256,1000)");
        o.only.push_back(range);
    });
    if (o.only.size() == before) die("--only lists no frames");
}

// A key script, whole. What cannot be read (a missing file, a directory, a read error) ends
// the run, and so does a script larger than any real one (an endless device, say): nothing is
// cut off and used in part.
constexpr size_t SCRIPT_LIMIT = size_t{256} << 20;

std::string readFile(const std::string &path)
{
    std::FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) die("cannot read " + printable(path) + ": " + std::strerror(errno));
    std::string text;
    char chunk[65536];
    size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
        if (n > SCRIPT_LIMIT - text.size()) die("cannot read " + printable(path) + ": larger than 256 MiB");
        text.append(chunk, n);
    }
    const int error = std::ferror(f) ? (errno ? errno : EIO) : 0;
    std::fclose(f);
    if (error) die("cannot read " + printable(path) + ": " + std::strerror(error));
    return text;
}

Options parse(int argc, char **argv)
{
    Options o;
    std::vector<std::pair<std::string, std::string>> keys;  // texts of key presses, and where from
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            if (std::fputs(USAGE, stdout) < 0 || std::fflush(stdout) != 0)
                die("cannot write the usage to standard output: " + std::string(std::strerror(errno)));
            std::exit(0);
        }
        if (arg == "--scene-lengths") {
            std::string lengths;
            for (int32_t scene = 1; scene <= SCENE_COUNT; ++scene)
                lengths += std::to_string(scene) + " " + std::to_string(SceneLength(scene, 25)) + " " +
                           std::to_string(SceneLength(scene, 50)) + "\n";
            if (std::fputs(lengths.c_str(), stdout) < 0 || std::fflush(stdout) != 0)
                die("cannot write the scene lengths to standard output: " + std::string(std::strerror(errno)));
            std::exit(0);
        }
        if (i + 1 >= argc) die("missing value after " + printable(arg) + "\n" + USAGE);
        const std::string value = argv[++i];
        if (arg == "--frames") {
            if (!parseInt(value, o.frames) || o.frames < 1) die("--frames wants a whole number from 1");
            if (o.frames > MAX_FRAMES)
                die("--frames " + value + ": at most " + std::to_string(MAX_FRAMES) + ", as the sound of N + 64 frames" +
                    " at 25 per second must fit one WAV file (4 GiB)");
        } else if (arg == "--keys") {
            keys.emplace_back(value, "--keys");
        } else if (arg == "--script") {
            keys.emplace_back(readFile(value), value);
        } else if (arg == "--only") {
            addOnly(value, o);
        } else if (arg == "--out") {
            o.out = value;
        } else if (arg == "--mp4") {
            o.mp4 = value;
        } else if (arg == "--clock-start") {
            char *end = nullptr;
            errno = 0;
            const unsigned long long start = std::strtoull(value.c_str(), &end, 10);
            if (value.empty() || value[0] < '0' || value[0] > '9' || *end || errno || start > UINT32_MAX)
                die("--clock-start wants microseconds from 0 to 4294967295");
            o.clockStart = static_cast<uint32_t>(start);
        } else if (arg == "--log") {
            o.log = value;
        } else {
            die("unknown option " + printable(arg) + "\n" + USAGE);
        }
    }
    for (auto &[text, where] : keys) {
        addKeys(text, where, o);
        std::string().swap(text);  // a script's text is not needed once it is ranges
    }
    sortKeys(o);
    // The kept frames, sorted and merged, so that each frame finds its place by bisection.
    std::sort(o.only.begin(), o.only.end());
    size_t merged = 0;
    for (const auto &range : o.only) {
        if (merged && range.first <= o.only[merged - 1].second + 1)
            o.only[merged - 1].second = std::max(o.only[merged - 1].second, range.second);
        else
            o.only[merged++] = range;
    }
    o.only.resize(merged);
    for (const auto &[first, last] : o.only)
        if (last > o.frames + 64)
            die("--only: frame " + std::to_string(last) + " lies beyond the last frame of the fade, " +
                std::to_string(o.frames + 64));
    if (!o.only.empty() && !o.mp4.empty()) die("--only and --mp4 do not go together: the video needs every frame");
    return o;
}

std::string absolute(const std::string &path)
{
    if (path.empty() || path[0] == '/') return path;
    char cwd[4096];
    if (!getcwd(cwd, sizeof cwd)) die("cannot read the current directory");
    return std::string(cwd) + "/" + path;
}

std::string frameName(int32_t n)
{
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05d.ppm", static_cast<int>(n));
    return name;
}

bool exists(const std::string &path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

// Whether a name is one the display gives a frame: "frame-", five or more digits, ".ppm".
bool isFrameName(const std::string &name)
{
    if (name.size() < 15 || name.compare(0, 6, "frame-") != 0 || name.compare(name.size() - 4, 4, ".ppm") != 0)
        return false;
    for (size_t i = 6; i < name.size() - 4; ++i)
        if (name[i] < '0' || name[i] > '9') return false;
    return true;
}

// Whether a directory holds a frame or the sound of a recording.
bool holdsRecording(const std::string &path)
{
    DIR *dir = opendir(path.c_str());
    if (!dir) die("cannot read " + printable(path) + ": " + std::strerror(errno));
    bool found = false;
    while (const dirent *entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "sound.wav" || isFrameName(name)) found = true;
    }
    closedir(dir);
    return found;
}

// Every frame dumped so far was written whole: the display reports the first file it could not
// write, and that ends the run rather than leave a recording with a frame missing.
void checkFrames()
{
    if (const int32_t failed = SDLDPYDumpFailed()) {
        const int error = SDLDPYDumpError();
        die("cannot write " + frameName(failed) + " in " + printable(rec.options.out) +
            (error ? ": " + std::string(std::strerror(error)) : std::string()));
    }
}

bool listed(int32_t n)
{
    const auto &only = rec.options.only;
    if (only.empty()) return true;
    const auto after = std::upper_bound(only.begin(), only.end(), n,
                                        [](int32_t frame, const auto &range) { return frame < range.first; });
    return after != only.begin() && n <= std::prev(after)->second;
}

// With --only: every frame up to `shown` has been written; the unlisted ones go.
void settle(int32_t shown)
{
    for (; rec.settled < shown; ++rec.settled) {
        const std::string name = frameName(rec.settled + 1);
        if (!listed(rec.settled + 1) && unlink(name.c_str()) != 0)
            die("cannot remove " + name + ": " + std::strerror(errno));
    }
}

// ---- WAV: 44,100 Hz, 16-bit signed little-endian, mono; sizes patched at the end ----

void put32(uint8_t *p, uint32_t v)
{
    for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void put16(uint8_t *p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void writeWavHeader(std::FILE *f, uint32_t dataBytes)
{
    uint8_t h[44];
    std::memcpy(h, "RIFF", 4);
    put32(h + 4, 36 + dataBytes);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    put32(h + 16, 16);
    put16(h + 20, 1);  // PCM
    put16(h + 22, 1);  // mono
    put32(h + 24, static_cast<uint32_t>(RATE));
    put32(h + 28, static_cast<uint32_t>(RATE * 2));
    put16(h + 32, 2);
    put16(h + 34, 16);
    std::memcpy(h + 36, "data", 4);
    put32(h + 40, dataBytes);
    if (std::fseek(f, 0, SEEK_SET) != 0 || std::fwrite(h, 1, sizeof h, f) != sizeof h ||
        std::fseek(f, 0, SEEK_END) != 0)
        die("cannot write sound.wav: " + std::string(std::strerror(errno)));
}

// The sound of one frame: `count` values from the callback, exactly as the device would get
// them (SDL hands the callback a silent buffer, so what it leaves unwritten is silence).
void pullSound(int64_t count)
{
    // The buffer lives as long as the recording: the last frames' sound may be pulled from the
    // exit handler, after the function-local objects are gone.
    std::vector<uint8_t> &buffer = rec.chunk;
    buffer.assign(static_cast<size_t>(2 * count), 0);
    if (sound && count > 0) SDLSNDCallback(sound, buffer.data(), static_cast<int>(2 * count));
    if (!buffer.empty() && std::fwrite(buffer.data(), 1, buffer.size(), rec.wav) != buffer.size())
        die("cannot write sound.wav: " + std::string(std::strerror(errno)));
    rec.values += count;
}

// A frame of `length` microseconds ends: its sound is the values up to the new time.
void endFrame(int64_t length)
{
    rec.lengths.push_back(length);
    rec.now += length;
    pullSound(rec.now * RATE / 1000000 - rec.values);
}

int64_t periodNow() { return 1000000 / (FPSTarget < 1 ? 1 : FPSTarget); }

// FNV-1a over the music's loop values.
uint64_t loopChecksum()
{
    uint64_t h = 1469598103934665603ull;
    if (music && music->loop && music->loop->values)
        for (int32_t i = 0; i < music->loop->length; ++i)
            h = (h ^ static_cast<uint32_t>(music->loop->values[i])) * 1099511628211ull;
    return h;
}

// The frame about to be drawn, as the frame timer has just read its clock. The heap leaves out
// the recorder's own list of frame lengths, which grows by one entry per frame.
void logFrame(uint32_t clock)
{
    const struct mallinfo2 heap = mallinfo2();
    const size_t own = rec.lengths.capacity() * sizeof(int64_t);
    const size_t used = heap.uordblks + heap.hblkhd;
    std::fprintf(rec.log, "%d %u %d %d %zu %016llx\n", static_cast<int>(rec.frame), clock,
                 static_cast<int>(FPSValue), static_cast<int>(rec.dumped), used > own ? used - own : 0,
                 static_cast<unsigned long long>(loopChecksum()));
    if (std::ferror(rec.log)) die("cannot write the log: " + std::string(std::strerror(errno)));
}

// A new frame, as the frame timer reads the virtual clock for it (once per frame, after it has
// counted the frame and worked out the period): the previous frame has ended after exactly one
// period, and this frame's key presses are queued, to be read by its own key poll.
void onFrame(int32_t frame)
{
    const bool first = rec.frame == 0;
    rec.frame = frame;
    rec.dumped = SDLDPYDumpCount(display);
    checkFrames();
    settle(rec.dumped);
    if (!first) endFrame(HeadlessNow - rec.now);
    if (HeadlessKeyFailures()) die("cannot queue a key press");
    if (rec.log) logFrame(rec.options.clockStart + static_cast<uint32_t>(rec.now));
}

// Frames shown so far. The display is freed before the sound output closes, so its count taken
// at the last clock reading is continued by the files written since: none of them has been
// removed yet, and the directory held no frames when the recording began.
int32_t shownFrames()
{
    int32_t shown = rec.dumped;
    while (exists(frameName(shown + 1))) ++shown;
    return shown;
}

// The last frame and the fade: every frame shown since the last clock reading gets its period
// of sound, taken while the queue still stands (the sound output closes right after). Then the
// unlisted ones of them go, and every listed frame must be there.
void finishSound()
{
    if (!rec.started || rec.finished) return;
    rec.finished = true;
    checkFrames();
    const int32_t shown = shownFrames();
    for (int32_t n = static_cast<int32_t>(rec.lengths.size()) + 1; n <= shown; ++n) endFrame(periodNow());
    // The frame limit keeps this within a WAV file's sizes; a header that wrapped would lie.
    if (2 * rec.values > MAX_SOUND_BYTES) die("the sound is too long for a WAV file");
    writeWavHeader(rec.wav, static_cast<uint32_t>(2 * rec.values));
    if (std::fclose(rec.wav) != 0) die("cannot write sound.wav: " + std::string(std::strerror(errno)));
    rec.wav = nullptr;
    if (rec.log && std::fclose(rec.log) != 0) die("cannot write the log: " + std::string(std::strerror(errno)));
    rec.log = nullptr;
    settle(shown);
    for (const auto &[first, last] : rec.options.only)
        for (int32_t n = first; n <= last; ++n)
            if (n > shown || !exists(frameName(n))) die(frameName(n) + " was not written");
}

void onSoundClose(SDLSND *) { finishSound(); }

// The quoted form of a path for the shell and for ffmpeg's concat list, which share the rule:
// single quotes around it, and each single quote within as '\''.
std::string quoted(const std::string &text)
{
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Removes the MP4's frame list and its private folder, if they stand.
void removeMp4List()
{
    if (rec.mp4List.empty()) return;
    unlink((rec.mp4List + "/frames.ffconcat").c_str());
    rmdir(rec.mp4List.c_str());
    rec.mp4List.clear();
}

[[noreturn]] void mp4Failed(const std::string &message)
{
    removeMp4List();
    die(message);
}

// The MP4: every frame for its own length (the speed may change), then the sound. The frame
// list ffmpeg reads is written in a folder of the recorder's own under the temporary directory
// (never in the output directory, where a file of that name may already stand) and removed
// afterwards.
void writeMp4()
{
    const char *tmpdir = std::getenv("TMPDIR");
    const std::string tmp = tmpdir && *tmpdir ? tmpdir : "/tmp";
    std::string folder = tmp + "/kova-record-XXXXXX";
    if (!mkdtemp(folder.data()))
        die("cannot create a folder for the video's frame list in " + printable(tmp) + ": " + std::strerror(errno));
    rec.mp4List = folder;
    const std::string listPath = folder + "/frames.ffconcat";
    const int fd = open(listPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    std::FILE *list = fd >= 0 ? fdopen(fd, "w") : nullptr;
    if (!list) {
        const int error = errno;
        if (fd >= 0) close(fd);
        mp4Failed("cannot write the video's frame list in " + printable(folder) + ": " + std::strerror(error));
    }
    std::fputs("ffconcat version 1.0\n", list);
    int64_t shortest = 40000;
    for (size_t i = 0; i < rec.lengths.size(); ++i) {
        const std::string frame = rec.options.out + "/" + frameName(static_cast<int32_t>(i + 1));
        std::fprintf(list, "file %s\nduration %.6f\n", quoted(frame).c_str(), rec.lengths[i] / 1e6);
        if (rec.lengths[i] < shortest) shortest = rec.lengths[i];
    }
    // The concat reader takes the last file's duration only from a repeated entry.
    if (!rec.lengths.empty())
        std::fprintf(list, "file %s\n",
                     quoted(rec.options.out + "/" + frameName(static_cast<int32_t>(rec.lengths.size()))).c_str());
    const bool written = !std::ferror(list);
    if (std::fclose(list) != 0 || !written)
        mp4Failed("cannot write the video's frame list in " + printable(folder) + ": " + std::strerror(errno));
    const int64_t fps = 1000000 / (shortest > 0 ? shortest : 40000);
    const std::string command =
        "ffmpeg -loglevel error -y -f concat -safe 0 -i " + quoted(listPath) + " -i sound.wav "
        "-vf scale=512:512:flags=neighbor -r " + std::to_string(fps) +
        " -c:v libx264 -pix_fmt yuv420p -c:a aac -b:a 192k -shortest " + quoted(rec.options.mp4);
    const int status = std::system(command.c_str());
    removeMp4List();
    if (status != 0) die("ffmpeg failed: " + printable(command));
}

// At the demo's exit (status 0 after the fade): the files are complete; report them. A summary
// that cannot be written (standard output closed, a full disk) fails the run.
void atExit()
{
    if (!rec.started) return;
    finishSound();  // when there was no sound output, the sound is silence
    if (!rec.options.mp4.empty()) writeMp4();
    std::string written;
    if (!rec.options.only.empty()) {
        int32_t kept = 0;
        for (int32_t n = 1; n <= static_cast<int32_t>(rec.lengths.size()); ++n) kept += listed(n);
        written = " (" + std::to_string(kept) + " written)";
    }
    errno = 0;
    const int printed =
        std::printf("kova-record: %zu frames%s and %.2f s of sound in %s%s%s\n", rec.lengths.size(), written.c_str(),
                    static_cast<double>(rec.values) / RATE, printable(rec.options.out).c_str(),
                    rec.options.mp4.empty() ? "" : ", video ", printable(rec.options.mp4).c_str());
    if (std::fflush(stdout) != 0 || printed < 0 || std::ferror(stdout))
        die("cannot write the summary to standard output: " + std::string(std::strerror(errno ? errno : EIO)));
}

// Lexically the same path without ".", "..", repeated or trailing slashes: where an absolute
// path that does not exist yet will be once it is made.
std::string normalised(const std::string &path)
{
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= path.size()) {
        size_t slash = path.find('/', at);
        if (slash == std::string::npos) slash = path.size();
        const std::string part = path.substr(at, slash - at);
        if (part == "..") {
            if (!parts.empty()) parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        at = slash + 1;
    }
    std::string out;
    for (const auto &part : parts) out += "/" + part;
    return out.empty() ? "/" : out;
}

// An absolute directory as the file system resolves it (links followed) when it exists, else
// lexically.
std::string resolved(const std::string &dir)
{
    if (char *real = realpath(dir.c_str(), nullptr)) {
        std::string out = real;
        std::free(real);
        return out;
    }
    return normalised(dir);
}

// The directory, resolved, and the name of an absolute path to a file.
std::pair<std::string, std::string> split(const std::string &path)
{
    const size_t slash = path.rfind('/');
    return {resolved(slash == 0 ? "/" : path.substr(0, slash)), path.substr(slash + 1)};
}

// A file the user names (--log, --mp4) must not be one that the recording writes itself: the
// recorder would overwrite it, or refuse its own output directory for it.
void checkOwnFile(const std::string &path, const char *option)
{
    if (path.empty()) return;
    const auto [dir, name] = split(path);
    if (name.empty() || name == "." || name == "..")
        die(std::string(option) + " " + printable(path) + " does not name a file");
    if (dir == resolved(rec.options.out) && (name == "sound.wav" || isFrameName(name)))
        die(std::string(option) + " " + printable(path) + " is a file of the recording itself; name another file");
}

}  // namespace

int main(int argc, char **argv)
{
    std::set_new_handler(outOfMemory);
    rec.options = parse(argc, argv);
    Options &o = rec.options;
    // Everything is checked before anything is made: a refused run leaves every file as it was.
    o.out = absolute(o.out);
    if (!o.log.empty()) o.log = absolute(o.log);
    if (!o.mp4.empty()) {
        o.mp4 = absolute(o.mp4);
        if (std::system("ffmpeg -version >/dev/null 2>&1") != 0) die("--mp4 needs ffmpeg on the PATH");
    }
    struct stat st {};
    const bool outExists = stat(o.out.c_str(), &st) == 0;
    if (outExists && !S_ISDIR(st.st_mode)) die(printable(o.out) + " is not a directory");
    if (outExists && holdsRecording(o.out))
        die(printable(o.out) + " already holds a recording; choose another directory or empty it");
    checkOwnFile(o.log, "--log");
    checkOwnFile(o.mp4, "--mp4");
    if (!o.log.empty() && !o.mp4.empty() && split(o.log) == split(o.mp4)) die("--log and --mp4 name the same file");

    if (!outExists && mkdir(o.out.c_str(), 0777) != 0 && errno != EEXIST)
        die("cannot create " + printable(o.out) + ": " + std::strerror(errno));
    if (chdir(o.out.c_str()) != 0) die("cannot enter " + printable(o.out) + ": " + std::strerror(errno));
    // Made only where no file stood, without following a link: the file is the recorder's own.
    const int wav = open("sound.wav", O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (wav < 0) {
        if (errno == EEXIST) die(printable(o.out) + " already holds a recording; choose another directory or empty it");
        die("cannot write sound.wav in " + printable(o.out) + ": " + std::strerror(errno));
    }
    rec.wav = fdopen(wav, "wb");
    if (!rec.wav) die("cannot write sound.wav: " + std::string(std::strerror(errno)));
    writeWavHeader(rec.wav, 0);
    if (!o.log.empty()) {
        rec.log = std::fopen(o.log.c_str(), "w");
        if (!rec.log) {
            // A run that ends here leaves nothing of its own behind.
            const int error = errno;
            unlink("sound.wav");
            if (!outExists) rmdir(o.out.c_str());
            die("cannot write " + printable(o.log) + ": " + std::strerror(error));
        }
    }

    // Headless and reproducible: no window, no sound card, no real time. Each key is held for
    // one frame; Escape is pressed at frame N and at every frame after it.
    rec.script.reserve(o.keys.size() + 1);
    for (const KeyRange &k : o.keys) rec.script.push_back({k.first, k.last, k.key, HEADLESS_NEXT_FRAME});
    std::vector<KeyRange>().swap(o.keys);
    rec.script.push_back({o.frames, INT32_MAX, SDLK_ESCAPE, HEADLESS_NEXT_FRAME});
    HeadlessUseDummyDrivers();
    HeadlessStart(HEADLESS_PERIODS, o.clockStart, onFrame);
    HeadlessSetKeys(rec.script.data(), rec.script.size());
    DemoSoundSetCloseHook(onSoundClose);
    std::atexit(atExit);

    DemoInit();
    // The recorder is the only listener: SDL's audio thread is stopped (its callbacks so far
    // found an empty queue) and the sound output's queue is left for the frames to pull.
    if (sound) SDL_CloseAudio();
    else std::fprintf(stderr, "kova-record: no sound output; the sound track is silent\n");
    SDLDPYSetDump(display, 1);
    rec.started = true;
    DemoCycle();
}
