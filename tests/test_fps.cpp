// Frame timer: pacing, the once-a-second read-out and the clock's wrap, on a virtual clock
// whose sleep advances time exactly.
#include <gtest/gtest.h>

#include <SDL.h>

#include <cstdint>
#include <vector>

#include "platform/fps.h"

namespace {

uint32_t now = 0;
std::vector<uint32_t> sleeps;

uint32_t virtualClock() { return now; }
void virtualSleep(uint32_t milliseconds)
{
    sleeps.push_back(milliseconds);
    now += milliseconds * 1000u;
}

class FPS : public testing::Test {
protected:
    void SetUp() override
    {
        FPSReset();
        FPSSetClock(virtualClock);
        FPSSetSleep(virtualSleep);
        now = 0;
        sleeps.clear();
    }
    void TearDown() override
    {
        FPSSetClock(nullptr);
        FPSSetSleep(nullptr);
        FPSReset();
    }
    // One frame that works for `work` microseconds and then paces; returns what it slept.
    static uint32_t frame(uint32_t work)
    {
        now += work;
        const size_t before = sleeps.size();
        FPSUpdate();
        FPSWait();
        return sleeps.size() > before ? sleeps.back() : 0;
    }
};

}  // namespace

TEST_F(FPS, FramesOfThirtyMillisecondsSleepTenAndReadTwentyFive)
{
    FPSTarget = 25;
    EXPECT_EQ(frame(30000), 10u);  // the first frame measures from time 0
    EXPECT_EQ(FPSFrameCount, 1);
    EXPECT_EQ(FPSValue, 0);
    for (int n = 2; n <= 25; ++n) {
        EXPECT_EQ(frame(30000), 10u) << "frame " << n;
        EXPECT_EQ(FPSValue, 0) << "no read-out before a whole second";
    }
    // Frame 26 closes the first window (30 ms + 25 x 40 ms > 1 s) and counts for the next one.
    frame(30000);
    EXPECT_EQ(FPSValue, 25);
    for (int n = 27; n <= 200; ++n) frame(30000);
    EXPECT_EQ(FPSValue, 25);
    EXPECT_EQ(FPSFrameCount, 200);
    EXPECT_EQ(now, 200u * 40000u) << "every frame takes one period";
}

TEST_F(FPS, SpeedFiftyAndTheRemainderBelowAMillisecondIsCarried)
{
    FPSTarget = 50;
    frame(0);
    for (int n = 0; n < 100; ++n) EXPECT_EQ(frame(5000), 15u);
    EXPECT_EQ(FPSValue, 50);

    // 30 frames a second: a period of 33,333 us, which whole milliseconds cannot sleep; the
    // leftover stays owed, so a long run keeps the rate without drifting.
    FPSTarget = 30;
    const uint32_t start = now;
    for (int n = 0; n < 300; ++n) frame(1234);
    const int64_t total = static_cast<int64_t>(now - start);
    EXPECT_LT(std::llabs(total - 300 * 33333), 33333);
    EXPECT_EQ(FPSValue, 30);
}

TEST_F(FPS, ALateFrameUsesUpTheSlackWithoutGoingNegative)
{
    FPSTarget = 25;
    for (int n = 0; n < 10; ++n) frame(30000);
    EXPECT_EQ(frame(100000), 0u) << "an overrun frame sleeps nothing";
    EXPECT_EQ(frame(100000), 0u);
    // The slack stayed at 0 rather than going into debt: the next normal frame sleeps its
    // full 10 ms at once instead of being cut short to make up for the late ones.
    EXPECT_EQ(frame(30000), 10u);
    EXPECT_EQ(frame(30000), 10u);
    // Work close to the period: a frame a little late only draws the slack down.
    EXPECT_EQ(frame(32000), 8u) << "10 ms owed, 2 ms of it used";
    EXPECT_EQ(frame(30000), 10u);
}

TEST_F(FPS, TargetBelowOneIsRaisedToOne)
{
    FPSTarget = 0;
    EXPECT_EQ(frame(0), 1000u) << "period 1,000,000 us";
    EXPECT_EQ(FPSTarget, 1);
    FPSTarget = -7;
    frame(0);
    EXPECT_EQ(FPSTarget, 1);
}

TEST_F(FPS, TheClockWrapsAfterTwoToTheThirtyTwoMicroseconds)
{
    FPSTarget = 25;
    now = 0xFFFFFFFFu - 100000u;  // 71.6 minutes since SDL started
    // From time 0 that is a frame of more than a second: a read-out of 0 at once, no sleep.
    EXPECT_EQ(frame(0), 0u);
    EXPECT_EQ(FPSValue, 0);
    for (int n = 0; n < 60; ++n) EXPECT_EQ(frame(30000), 10u) << "frame " << n << " at " << now;
    EXPECT_LT(now, 3000000u) << "the run crossed the wrap";
    EXPECT_EQ(FPSValue, 25);
}

TEST_F(FPS, ThePublishedValueCountsTheFramesOfEachWindow)
{
    FPSTarget = 50;
    // Frames alternate 5 and 15 ms of work at 20 ms a frame: each sleeps what its work left.
    for (int n = 0; n < 200; ++n) frame(n % 2 ? 15000 : 5000);
    EXPECT_GE(FPSValue, 49);
    EXPECT_LE(FPSValue, 51);
    EXPECT_EQ(FPSUpdate(), FPSValue) << "FPSUpdate returns the read-out";
}

TEST(FPSClock, DefaultsToSDLTicksInMicroseconds)
{
    FPSSetClock(nullptr);
    SDL_Init(SDL_INIT_TIMER);
    const uint32_t ticks = SDL_GetTicks();
    const uint32_t micro = FPSMicroseconds();
    EXPECT_LE(micro / 1000u - ticks, 2u);
    EXPECT_EQ(micro % 1000u, 0u);
    SDL_Quit();
}
