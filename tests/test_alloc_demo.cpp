// Allocation failure at start-up and over one whole cycle of the five scenes. For every n a
// child process runs DemoInit, the five scene functions on the headless runner's virtual clock
// (as support/demo_run.h drives them), one frame of the next visit of each scene that retries what
// it could not make, and the quit through Escape, with the n-th of the project's
// own allocations failing (support/alloc_fail.h: SDL's are never failed). Each child must end as
// the program may: status 0 after every frame of the cycle, or status 1 with its one line when
// start-up cannot make the display, the keyboard or the frame. A failure that happened must
// show in a report line (every error switch is on). Under AddressSanitizer each child's exit
// also checks for leaks. The parent never starts SDL, so that it can fork.
#include <gtest/gtest.h>

#include <SDL.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#include "demo/demo.h"
#include "demo/headless.h"
#include "demo/scenes.h"
#include "demo/soundtrack.h"
#include "platform/fps.h"
#include "support/alloc_fail.h"

namespace {

constexpr int SHARDS = 4;  // the sweep is split so that ctest can run its parts side by side

ErrorReporter *const REPORTERS[] = {&LISTError,  &IMGError,    &BYTEMAPError, &FONTError,
                                    &BFONTError, &CURSORError, &BPLASMAError, &BSCROLLError,
                                    &RASTERError, &SAMPLEError, &MUSICError,  &SDLSNDError,
                                    &SDLKBDError, &SDLDPYError};

void atExit()
{
    std::printf("\nallocations %llu frames %d fired %d\n",
                static_cast<unsigned long long>(support::alloc::seen()), FPSFrameCount,
                support::alloc::fired() ? 1 : 0);
    std::fflush(stdout);
}

// The child: start-up, one cycle and the quit, the n-th allocation failing (0: none).
[[noreturn]] void cycle(uint64_t n)
{
    alarm(600);
    for (ErrorReporter *r : REPORTERS) r->on = 1;
    // The sound output's failures by name: SDL's audio thread may find the queue empty (and
    // say "ERR underflow") before the device is closed below, and that is no failure.
    SDLSNDTrace = 1;
    std::atexit(atExit);
    // Every frame takes a frame's sound from the output, as a device would: the recorder's way,
    // which keeps the queue (and its growth) the same in every run.
    HeadlessStart(HEADLESS_SLEEPS, 0, [](int32_t) {
        static uint8_t stream[2 * 1764];
        if (sound && SDLSNDQueued(sound) > 0) SDLSNDCallback(sound, stream, sizeof stream);
    });
    support::alloc::arm(n);
    DemoInit();
    if (sound) SDL_CloseAudio();
    for (void (*scene)() : SCENE_CYCLE) scene();
    // The scenes that make again on their next visit what their first could not: one frame each.
    for (void (*scene)() : {SceneRain, ScenePlasma, ScenePages}) {
        demoFlags |= DEMO_LEAVE_SCENE;
        scene();
    }
    DemoQuit();
}

struct Outcome {
    int status = -1;  // exit status, or -1 when the child did not exit
    std::string out;  // standard output and error together
    uint64_t allocations = 0;
    int frames = 0, fired = 0;
};

Outcome runChild(uint64_t n)
{
    int pipeFds[2];
    Outcome o;
    if (pipe(pipeFds) != 0) return o;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        close(pipeFds[0]);
        dup2(pipeFds[1], 1);
        dup2(pipeFds[1], 2);
        cycle(n);
    }
    close(pipeFds[1]);
    char chunk[65536];
    for (ssize_t got; (got = read(pipeFds[0], chunk, sizeof chunk)) > 0;) o.out.append(chunk, size_t(got));
    close(pipeFds[0]);
    int status = 0;
    if (pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status)) o.status = WEXITSTATUS(status);
    const size_t tail = o.out.rfind("\nallocations ");
    unsigned long long allocations = 0;
    if (tail != std::string::npos &&
        std::sscanf(o.out.c_str() + tail, "\nallocations %llu frames %d fired %d", &allocations, &o.frames, &o.fired) == 3)
        o.allocations = allocations;
    return o;
}

bool hasReportLine(const std::string &out)
{
    for (const ErrorReporter *r : REPORTERS)
        if (out.find(std::string(r->line) + "\n") != std::string::npos) return true;
    for (size_t at = out.find("ERR "); at != std::string::npos; at = out.find("ERR ", at + 1))
        if (out.compare(at, 14, "ERR underflow\n") != 0) return true;
    return false;
}

class CycleSweep : public testing::TestWithParam<int> {};

}  // namespace

TEST_P(CycleSweep, EveryAllocationFromStartUpToTheQuit)
{
    const Outcome whole = runChild(0);
    ASSERT_EQ(whole.status, 0) << whole.out.substr(0, 2000);
    ASSERT_GT(whole.allocations, 0u);
    EXPECT_FALSE(hasReportLine(whole.out)) << "reports with nothing failing:\n" << whole.out.substr(0, 2000);
    for (uint64_t n = 1 + uint64_t(GetParam()); n <= whole.allocations; n += SHARDS) {
        SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(whole.allocations));
        const Outcome o = runChild(n);
        const std::string tail = o.out.substr(o.out.size() > 4000 ? o.out.size() - 4000 : 0);
        if (o.out.find("Sanitizer") != std::string::npos) {
            ADD_FAILURE() << tail;
            continue;
        }
        EXPECT_EQ(o.fired, 1);
        if (o.status == 1 && o.frames == 0) {
            EXPECT_NE(o.out.find("KOVA1301: "), std::string::npos) << tail;
            continue;
        }
        ASSERT_EQ(o.status, 0) << "crashed or hung:\n" << tail;
        EXPECT_EQ(o.frames, whole.frames) << "every frame of the cycle";
        EXPECT_TRUE(hasReportLine(o.out)) << "a failure nobody reported";
    }
}

INSTANTIATE_TEST_SUITE_P(Shard, CycleSweep, testing::Range(0, SHARDS));
