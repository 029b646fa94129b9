// The shared foundation: the error reporter, the sine table and the random generator.
#include <gtest/gtest.h>

#include <cmath>

#include "core/random.h"
#include "core/report.h"
#include "core/sintab.h"
#include "report_capture.h"

namespace {

ErrorReporter Probe = {0, "PROBE error"};

int failing() { return report(Probe, -1); }

}  // namespace

TEST(Report, PrintsItsLineOnlyWhileTheSwitchIsOn)
{
    testing::internal::CaptureStdout();
    EXPECT_EQ(failing(), -1);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

    int result = 0;
    EXPECT_EQ(reported(Probe, [&] { result = failing(); }), "PROBE error\n");
    EXPECT_EQ(result, -1);
    EXPECT_EQ(Probe.on, 0) << "the helper restores the switch";
}

TEST(Sintab, FollowsTheSinglePrecisionRule)
{
    EXPECT_EQ(SINSIZE, 1024);
    EXPECT_EQ(SINMASK, 1023);
    EXPECT_EQ(SINTAB[0], 0);
    EXPECT_EQ(SINTAB[129], 23312);
    EXPECT_EQ(SINTAB[183], 29535);
    EXPECT_EQ(SINTAB[255], 32766);
    EXPECT_EQ(SINTAB[256], 32766);
    EXPECT_EQ(SINTAB[511], 0);
    EXPECT_EQ(SINTAB[512], 0);
    EXPECT_EQ(SINTAB[767], -32766);

    const float pi = 3.14159265358979f;
    int16_t lo = 0, hi = 0;
    for (int k = 0; k < 1024; ++k) {
        lo = std::min(lo, SINTAB[k]);
        hi = std::max(hi, SINTAB[k]);
        if (k < 256) {
            const float v = 32767.0f * std::sin(2.0f * pi * static_cast<float>(k) / 1024.0f);
            EXPECT_EQ(SINTAB[k], std::lround(v)) << "entry " << k;
            EXPECT_NEAR(SINTAB[k], 32767.0 * std::sin(2.0 * M_PI * k / 1024.0), 1.0) << k;
        } else if (k < 512) {
            EXPECT_EQ(SINTAB[k], SINTAB[255 - (k - 256)]) << "mirror at " << k;
        } else {
            EXPECT_EQ(SINTAB[k], -SINTAB[k - 512]) << "negation at " << k;
        }
    }
    EXPECT_EQ(lo, -32766);
    EXPECT_EQ(hi, 32766);
}

#ifdef __GLIBC__
// The stand-in for a C library's generator draws what glibc's rand() and random() draw, from one
// sequence: for the program's seed, a seed negative as a word, and 0 (taken as 1).
TEST(Random, DrawsWhatTheLinuxCLibraryDraws)
{
    for (const uint32_t seed : {542388762u, 0x80000001u, 0u}) {
        std::srand(seed);
        RANDOMSeed(seed);
        for (int i = 0; i < 2000; ++i)
            ASSERT_EQ(RANDOMNext(), i % 2 ? random() : std::rand()) << "seed " << seed << ", draw " << i;
    }
}
#endif
