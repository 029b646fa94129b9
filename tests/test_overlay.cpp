// The frame overlays: the tag "KOVA" keyed into the top right corner, the two-digit read-out
// in the top left while 'f' has switched it on, both always on the frame whatever scene 5 left
// as the font's target. Checked pixel by pixel against the glyphs of the tag sheet.
#include <gtest/gtest.h>

#include <string>

#include "demo/data.h"
#include "demo/demo.h"
#include "demo/overlay.h"
#include "platform/fps.h"
#include "report_capture.h"

namespace {

constexpr uint32_t kBackground = 0x00203040;

// The frame and the tag font as start-up leaves them, over a non-black frame so that keying
// shows: black glyph pixels must leave the background.
class Overlay : public testing::Test {
protected:
    void SetUp() override
    {
        screen = IMGNew();
        ASSERT_TRUE(screen);
        IMGResize(screen, SCREEN_W, SCREEN_H);
        fill(kBackground);
        DemoTagSetup();
        ASSERT_TRUE(tagFont && tagFont->sheet);
        sheet = IMGFromPNM(TAG_SHEET, TAG_SHEET_SIZE);
        ASSERT_TRUE(sheet);
        showRate = 0;
    }
    void TearDown() override
    {
        DemoTagFree();
        IMGFree(&sheet);
        IMGFree(&screen);
        showRate = 0;
        FPSValue = 0;
    }

    void fill(uint32_t colour)
    {
        for (int32_t i = 0; i < screen->width * screen->height; ++i) screen->pixels[i] = colour;
    }

    uint32_t at(int32_t x, int32_t y) const { return screen->pixels[y * screen->width + x]; }

    // What the frame should hold at (x, y) inside a glyph cell whose top-left is (cx, 0).
    uint32_t glyphPixel(uint8_t code, int32_t gx, int32_t gy) const
    {
        const int32_t sx = (code * 8) % sheet->width + gx;
        const int32_t sy = (code * 8) / sheet->width * 8 + gy;
        return sheet->pixels[sy * sheet->width + sx];
    }

    // Compares the 8 x 8 cells of `text` from (x, 0) with the sheet's glyphs drawn keyed.
    void expectGlyphs(const std::string &text, int32_t x)
    {
        for (size_t g = 0; g < text.size(); ++g) {
            int32_t lit = 0;
            for (int32_t gy = 0; gy < 8; ++gy)
                for (int32_t gx = 0; gx < 8; ++gx) {
                    const uint32_t s = glyphPixel(static_cast<uint8_t>(text[g]), gx, gy);
                    lit += s != 0;
                    ASSERT_EQ(at(x + 8 * static_cast<int32_t>(g) + gx, gy), s ? s : kBackground)
                        << "glyph '" << text[g] << "' at " << gx << "," << gy;
                }
            EXPECT_GT(lit, 0) << "glyph '" << text[g] << "' is blank in the tag sheet";
        }
    }

    // Everything outside the given strips of the top row is untouched.
    int32_t changedOutside(int32_t x0, int32_t x1) const
    {
        int32_t changed = 0;
        for (int32_t y = 0; y < SCREEN_H; ++y)
            for (int32_t x = 0; x < SCREEN_W; ++x)
                if (!(y < 8 && x >= x0 && x < x1) && at(x, y) != kBackground) ++changed;
        return changed;
    }

    IMG *sheet = nullptr;
};

}  // namespace

TEST_F(Overlay, TagSitsInTheTopRightCornerEndingAtTheRightEdge)
{
    EXPECT_EQ(tagFont->width, 8);
    EXPECT_EQ(tagFont->height, 8);
    EXPECT_EQ(tagFont->target, screen);
    DemoDrawTag();
    expectGlyphs("KOVA", 224);
    EXPECT_EQ(changedOutside(224, 256), 0);
    // Drawing it again changes nothing: it is keyed over the picture, not added.
    DemoDrawTag();
    expectGlyphs("KOVA", 224);
}

TEST_F(Overlay, TagAndReadOutDrawOnTheFrameWhateverTheFontWasRetargetedTo)
{
    IMG *page = IMGNew();
    IMGResize(page, SCREEN_W, SCREEN_H);
    tagFont->target = page;
    tagFont->x = 17;
    tagFont->y = 99;
    DemoDrawTag();
    expectGlyphs("KOVA", 224);
    EXPECT_EQ(tagFont->target, screen);
    for (int32_t i = 0; i < page->width * page->height; ++i) ASSERT_EQ(page->pixels[i], 0u);

    tagFont->target = page;
    showRate = RATE_SHOWN;
    FPSValue = 25;
    DemoDrawRate();
    expectGlyphs("19", 0);
    EXPECT_EQ(tagFont->target, screen);
    IMGFree(&page);
}

TEST_F(Overlay, ReadOutShowsTheLowByteInHexOnlyWhileSwitchedOn)
{
    FPSValue = 25;
    DemoDrawRate();
    EXPECT_EQ(changedOutside(0, 0), 0) << "read-out drawn while off";

    DemoKey(SDLK_f);
    EXPECT_TRUE(DemoRateShown());
    DemoDrawRate();
    expectGlyphs("19", 0);
    EXPECT_EQ(changedOutside(0, 16), 0);

    const struct {
        int32_t value;
        const char *shown;
    } cases[] = {{50, "32"}, {0, "00"}, {255, "FF"}, {300, "2C"}, {-1, "FF"}};
    for (const auto &c : cases) {
        fill(kBackground);
        FPSValue = c.value;
        DemoDrawRate();
        expectGlyphs(c.shown, 0);
        EXPECT_EQ(changedOutside(0, 16), 0) << c.value;
    }

    DemoKey(SDLK_f);  // pressed twice: gone again
    EXPECT_FALSE(DemoRateShown());
    fill(kBackground);
    DemoDrawRate();
    EXPECT_EQ(changedOutside(0, 0), 0);
}

TEST_F(Overlay, WithoutTheFontNothingIsDrawnAndFreeingTwiceIsHarmless)
{
    DemoTagFree();
    EXPECT_EQ(tagFont, nullptr);
    DemoDrawTag();
    showRate = RATE_SHOWN;
    DemoDrawRate();
    EXPECT_EQ(changedOutside(0, 0), 0);
    DemoTagFree();
    EXPECT_EQ(tagFont, nullptr);
}
