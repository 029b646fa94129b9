// Compiled-in data: every picture decodes with the program's own readers to the size the
// fonts expect, the glyphs with a role in the scenes look the part, the logos and texts keep
// the line structure the scenes copy byte for byte, the bar colours follow their rainbow, and
// the percussion has the character of the kit. Also: what the build embedded is what assets/
// holds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/text.h"
#include "demo/data.h"
#include "gfx/bytemap.h"
#include "gfx/img.h"
#include "support/helpers.h"

namespace {

using Image = support::Owned<IMG, IMGFree>;
using Map = support::Owned<BYTEMAP, BYTEMAPFree>;

// The pixels of glyph `code` of an 8 x 8 or 32 x 32 sheet, row by row.
std::vector<uint32_t> glyph(const IMG *sheet, int32_t code, int32_t cell)
{
    int32_t gx = code * cell % sheet->width, gy = code * cell / sheet->width * cell;
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < cell; ++y)
        for (int32_t x = 0; x < cell; ++x) out.push_back(IMGGetPixel(sheet, gx + x, gy + y));
    return out;
}

int lit(const std::vector<uint32_t> &pixels)
{
    return static_cast<int>(std::count_if(pixels.begin(), pixels.end(), [](uint32_t p) { return p != 0; }));
}

int channel(uint32_t p, int shift) { return static_cast<int>(p >> shift & 255); }

// Relative luminance of a colour, 0 (black) to 1 (white), as sRGB weighs its channels.
double luminance(uint32_t p)
{
    double sum = 0;
    for (auto [shift, weight] : {std::pair{16, 0.2126}, {8, 0.7152}, {0, 0.0722}}) {
        double c = channel(p, shift) / 255.0;
        sum += weight * (c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4));
    }
    return sum;
}

// Luminance contrast of two colours, 1 (equal) to 21 (black on white).
double contrast(uint32_t a, uint32_t b)
{
    double x = luminance(a) + 0.05, y = luminance(b) + 0.05;
    return std::max(x, y) / std::min(x, y);
}

// Splits a header into its lines up to the raster: magic, comment, size and, for P6, 255.
struct Header {
    std::vector<std::string> lines;
    size_t raster;  // offset of the first raster byte
};

Header header(const unsigned char *data, int lines)
{
    Header h{{}, 0};
    const char *p = reinterpret_cast<const char *>(data);
    for (int i = 0; i < lines; ++i) {
        const char *end = std::strchr(p + h.raster, '\n');
        if (!end) break;
        h.lines.emplace_back(p + h.raster, end);
        h.raster = static_cast<size_t>(end - p) + 1;
    }
    return h;
}

// The repository: KOVA_SOURCE_DIR, or else the directory above this source file.
std::string sourceDir()
{
    if (const char *root = std::getenv("KOVA_SOURCE_DIR"); root && *root) return root;
    std::string self = __FILE__;
    size_t cut = self.rfind("/tests/");
    return cut == std::string::npos ? "." : self.substr(0, cut);
}

std::string slurp(const std::string &name) { return support::readFile(sourceDir() + "/assets/" + name); }

// The figures by which the kit's sounds are told apart.
struct Figures {
    int32_t last, min, max, changes, peak;
};

Figures figures(const SAMPLE &s)
{
    Figures f{-1, 0, 0, 0, 0};
    int32_t previous = 0, loudest = -1;
    for (int32_t i = 0; i < s.length; ++i) {
        int32_t v = s.values[i];
        f.min = std::min(f.min, v);
        f.max = std::max(f.max, v);
        if (v) {
            f.last = i;
            if (previous && (v > 0) != (previous > 0)) ++f.changes;  // zeros are skipped
            previous = v;
        }
        if (std::abs(v) > loudest) {
            loudest = std::abs(v);
            f.peak = i;
        }
    }
    return f;
}

}  // namespace

TEST(Data, PicturesHaveOneCommentLineAndExactlyTheirRaster)
{
    struct Case {
        const unsigned char *data;
        size_t size;
        const char *magic, *dimensions;
        size_t raster;
    } cases[] = {
        {TAG_SHEET, TAG_SHEET_SIZE, "P6", "256 80", 61440},
        {TEXT_SHEET, TEXT_SHEET_SIZE, "P6", "256 80", 61440},
        {BIG_SHEET, BIG_SHEET_SIZE, "P4", "1024 128", 16384},
        {PAGE_SHEET, PAGE_SHEET_SIZE, "P6", "1024 128", 393216},
    };
    for (const Case &c : cases) {
        bool p6 = std::strcmp(c.magic, "P6") == 0;
        Header h = header(c.data, p6 ? 4 : 3);
        ASSERT_EQ(h.lines.size(), p6 ? 4u : 3u) << c.magic << " " << c.dimensions;
        EXPECT_EQ(h.lines[0], c.magic);
        EXPECT_EQ(h.lines[1].rfind("# ", 0), 0u) << h.lines[1];
        EXPECT_EQ(h.lines[2], c.dimensions);
        if (p6) {
            EXPECT_EQ(h.lines[3], "255");
        }
        EXPECT_EQ(c.size - h.raster, c.raster) << c.dimensions;
        EXPECT_EQ(c.data[c.size], 0) << "each picture is followed by one NUL";
    }
}

TEST(Data, PicturesDecodeToTheirSizesBoundedOrTrusted)
{
    const std::pair<const unsigned char *, size_t> small[] = {{TAG_SHEET, TAG_SHEET_SIZE},
                                                               {TEXT_SHEET, TEXT_SHEET_SIZE}};
    for (auto [data, size] : small) {
        Image bounded(IMGFromPNM(data, size)), trusted(IMGFromPNM(data));
        ASSERT_NE(bounded.p, nullptr);
        ASSERT_NE(trusted.p, nullptr);
        EXPECT_EQ(bounded.p->width, 256);
        EXPECT_EQ(bounded.p->height, 80);
        EXPECT_EQ(IMGEqual(bounded.p, trusted.p), 1);
    }
    Image page(IMGFromPNM(PAGE_SHEET, PAGE_SHEET_SIZE));
    ASSERT_NE(page.p, nullptr);
    EXPECT_EQ(page.p->width, 1024);
    EXPECT_EQ(page.p->height, 128);

    Map big(BYTEMAPFromPNM(BIG_SHEET, BIG_SHEET_SIZE)), trusted(BYTEMAPFromPNM(BIG_SHEET));
    ASSERT_NE(big.p, nullptr);
    ASSERT_NE(trusted.p, nullptr);
    EXPECT_EQ(big.p->width, 1024);
    EXPECT_EQ(big.p->height, 128);
    EXPECT_EQ(BYTEMAPEqual(big.p, trusted.p), 1);
    for (int32_t i = 0; i < 1024 * 128; ++i)
        ASSERT_TRUE(big.p->data[i] == 0 || big.p->data[i] == 255) << "cell " << i;
    // A picture cut short is refused, not read past its end.
    EXPECT_EQ(IMGFromPNM(TAG_SHEET, TAG_SHEET_SIZE - 1), nullptr);
    EXPECT_EQ(BYTEMAPFromPNM(BIG_SHEET, BIG_SHEET_SIZE - 1), nullptr);
}

TEST(Data, TagSheetHoldsTheTypedCharactersBlankZeroAndTheCursorBlock)
{
    Image sheet(IMGFromPNM(TAG_SHEET, TAG_SHEET_SIZE));
    ASSERT_NE(sheet.p, nullptr);
    EXPECT_EQ(lit(glyph(sheet.p, 0, 8)), 0) << "glyph 0 erases the cursor";
    EXPECT_EQ(lit(glyph(sheet.p, ' ', 8)), 0);
    for (uint32_t p : glyph(sheet.p, 204, 8)) EXPECT_EQ(p, 0xFFFFFFu) << "the cursor is a white block";
    for (int code = 33; code <= 126; ++code) {
        std::vector<uint32_t> g = glyph(sheet.p, code, 8);
        // White ink shows the bars' full colour; each printable character has some.
        EXPECT_GE(std::count(g.begin(), g.end(), 0xFFFFFFu), 4) << "code " << code;
    }
    // The tag and the read-out glyphs differ from each other.
    std::set<std::vector<uint32_t>> shapes;
    for (const char *s = "KOVA0123456789ABCDEF"; *s; ++s) shapes.insert(glyph(sheet.p, *s, 8));
    EXPECT_EQ(shapes.size(), 19u);  // the A of the tag is the A of the read-out
}

TEST(Data, TextSheetIsThePaletteTheScenesPaintWith)
{
    Image sheet(IMGFromPNM(TEXT_SHEET, TEXT_SHEET_SIZE));
    ASSERT_NE(sheet.p, nullptr);
    // 0..127: four density ramps, 0 lit pixels, rising to a full cell at the 16th, back to 0.
    for (int group = 0; group < 4; ++group) {
        int previous = -1;
        for (int j = 0; j < 32; ++j) {
            int n = lit(glyph(sheet.p, 32 * group + j, 8));
            if (j == 0 || j == 31) {
                EXPECT_EQ(n, 0) << "group " << group << " step " << j;
            }
            if (j == 15) {
                EXPECT_EQ(n, 64) << "group " << group;
            }
            if (j > 0 && j <= 15) {
                EXPECT_GT(n, previous) << "group " << group << " step " << j;
            } else if (j > 15) {
                EXPECT_LT(n, previous) << "group " << group << " step " << j;
            }
            previous = n;
        }
    }
    // The first group, on show when the scroller opens, warms from violet to coral as it
    // fills; the others have one hue each: green leads with green, brown with red, blue with
    // blue.
    auto full = [&](int code) { return glyph(sheet.p, code, 8)[9]; };
    uint32_t sparse = glyph(sheet.p, 2, 8)[0], warm = full(15), green = full(47), brown = full(79), blue = full(111);
    EXPECT_GT(channel(sparse, 0), channel(sparse, 16));
    EXPECT_GT(channel(warm, 16), 2 * channel(warm, 0));
    EXPECT_GT(channel(green, 8), channel(green, 16));
    EXPECT_GT(channel(brown, 16), channel(brown, 0));
    EXPECT_GT(channel(blue, 0), channel(blue, 16));

    // 128..143 solid blocks in 16 distinct bright colours; 144..159 those colours, partly lit.
    std::set<uint32_t> bright;
    for (int k = 0; k < 16; ++k) {
        std::vector<uint32_t> solid = glyph(sheet.p, 128 + k, 8), pattern = glyph(sheet.p, 144 + k, 8);
        EXPECT_EQ(lit(solid), 64) << "code " << 128 + k;
        uint32_t c = solid[3 * 8 + 3];
        EXPECT_GE(std::max({channel(c, 16), channel(c, 8), channel(c, 0)}), 0xE0) << "code " << 128 + k;
        bright.insert(c);
        EXPECT_GT(lit(pattern), 16) << "code " << 144 + k;
        EXPECT_LT(lit(pattern), 64) << "code " << 144 + k;
        EXPECT_GE(std::count(pattern.begin(), pattern.end(), c), 12)
            << "code " << 144 + k << " is drawn in the colour of " << 128 + k;
    }
    EXPECT_EQ(bright.size(), 16u);

    // 160..175 the gradient as patterns, 176..191 as blocks; 185 is a nearly white block.
    for (int k = 0; k < 16; ++k) {
        int n = lit(glyph(sheet.p, 160 + k, 8));
        EXPECT_GT(n, 16) << "code " << 160 + k;
        EXPECT_LT(n, 64) << "code " << 160 + k;
        EXPECT_EQ(lit(glyph(sheet.p, 176 + k, 8)), 64) << "code " << 176 + k;
    }
    for (uint32_t p : glyph(sheet.p, 185, 8)) {
        EXPECT_GE(channel(p, 16), 0xC8);
        EXPECT_GE(channel(p, 8), 0xC8);
        EXPECT_GE(channel(p, 0), 0xC8);
    }
    EXPECT_GE(channel(glyph(sheet.p, 185, 8)[27], 8), 0xE0) << "the body of 185 is nearly white";

    // 192..223: dots growing from a dim blue to white; 223 a full white cell.
    int previous = 0;
    for (int k = 0; k < 32; ++k) {
        std::vector<uint32_t> g = glyph(sheet.p, 192 + k, 8);
        EXPECT_GE(lit(g), previous) << "code " << 192 + k;
        previous = lit(g);
    }
    uint32_t dim = glyph(sheet.p, 192, 8)[27], cyan = glyph(sheet.p, 218, 8)[27];
    EXPECT_GT(channel(dim, 0), channel(dim, 16)) << "the floor is blue";
    EXPECT_GT(channel(cyan, 8), channel(cyan, 16)) << "the tail is cyan";
    EXPECT_GT(lit(glyph(sheet.p, 192, 8)), 0) << "the floor glyph shows";
    for (uint32_t p : glyph(sheet.p, 223, 8)) EXPECT_EQ(p, 0xFFFFFFu);
    // The trace's afterglow is steep: each step down from the light on screen (222) is about
    // half as bright as the one before, so one line with a short tail shows the wave.
    auto glow = [&](int code) {
        double sum = 0;
        for (uint32_t p : glyph(sheet.p, code, 8)) sum += luminance(p);
        return sum;
    };
    for (int code = 222; code > 216; --code)
        EXPECT_NEAR(glow(code - 1) / glow(code), 0.5, 0.1) << "code " << code - 1;

    // 224..255: white shapes, no two alike.
    std::set<std::vector<uint32_t>> shapes;
    for (int code = 224; code < 256; ++code) {
        std::vector<uint32_t> g = glyph(sheet.p, code, 8);
        EXPECT_GT(lit(g), 0) << "code " << code;
        for (uint32_t p : g) EXPECT_TRUE(p == 0 || p == 0xFFFFFFu) << "code " << code;
        shapes.insert(g);
    }
    EXPECT_EQ(shapes.size(), 32u);
}

// The tag and the read-out stand on every scene, the rain logo on the nearly white cell 185:
// each must keep an edge that stands apart from it.
TEST(Data, TagAndLogoCellsStandApartFromThePaleBackground)
{
    Image tags(IMGFromPNM(TAG_SHEET, TAG_SHEET_SIZE)), texts(IMGFromPNM(TEXT_SHEET, TEXT_SHEET_SIZE));
    ASSERT_NE(tags.p, nullptr);
    ASSERT_NE(texts.p, nullptr);
    const uint32_t background = glyph(texts.p, 185, 8)[27];
    // White ink wholly ringed by a dark, non-black (so not keyed away) colour: the ink leaves
    // the cell's side columns and bottom row free; above it is the frame's top edge.
    for (const char *s = "KOVA0123456789ABCDEF"; *s; ++s) {
        std::vector<uint32_t> g = glyph(tags.p, *s, 8);
        auto at = [&](int x, int y) { return g[static_cast<size_t>(y * 8 + x)]; };
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x) {
                if (at(x, y) != 0xFFFFFFu) continue;
                EXPECT_TRUE(x > 0 && x < 7 && y < 7) << *s << " ink at the cell's edge " << x << "," << y;
                for (int dy = -1; dy <= 1; ++dy)
                    for (int dx = -1; dx <= 1; ++dx) {
                        int nx = x + dx, ny = y + dy;
                        if (nx < 0 || nx > 7 || ny < 0 || ny > 7 || at(nx, ny) == 0xFFFFFFu) continue;
                        ASSERT_NE(at(nx, ny), 0u) << *s << " has a gap in its ring at " << nx << "," << ny;
                        EXPECT_GE(contrast(at(nx, ny), background), 7.0) << *s;
                    }
            }
    }
    // A logo cell reads by the colour of its body. The rain logo's colours (both ranges, 185
    // skipped) stand 3:1 off the background, but for the amber first step of the gradient and
    // the two pale steps beside 185; the deep steps of the gradient stand 3:1 off every bright
    // block, so the plasma logo reads on the plasma.
    auto body = [&](int code) { return glyph(texts.p, code, 8)[27]; };
    for (int code = 128; code < 192; code = code == 143 ? 176 : code + 1) {
        if (code == 185) continue;
        EXPECT_GE(contrast(body(code), background), code == 176 || code == 184 || code == 186 ? 1.5 : 3.0)
            << "code " << code;
        if (code < 177 || (code > 183 && code < 187)) continue;
        for (int bright = 128; bright < 144; ++bright)
            EXPECT_GE(contrast(body(code), body(bright)), 3.0) << "code " << code << " on " << bright;
    }
}

TEST(Data, BigSheetLettersFitAboveTheHop)
{
    Map sheet(BYTEMAPFromPNM(BIG_SHEET, BIG_SHEET_SIZE));
    ASSERT_NE(sheet.p, nullptr);
    auto ink = [&](int code, int fromRow) {
        int n = 0;
        int32_t gx = code * 32 % 1024, gy = code * 32 / 1024 * 32;
        for (int32_t y = fromRow; y < 32; ++y)
            for (int32_t x = 0; x < 32; ++x) n += BYTEMAPGetPixel(sheet.p, gx + x, gy + y) != 0;
        return n;
    };
    EXPECT_EQ(ink(' ', 0), 0);
    for (int code = 33; code <= 126; ++code) EXPECT_GT(ink(code, 0), 0) << "code " << code;
    // The scroller drops the letters by up to 7 rows; capitals and digits stay clear of the
    // last 7 rows, so they are never cut.
    for (const char *s = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"; *s; ++s)
        EXPECT_EQ(ink(*s, 25), 0) << *s;
    int symbols = 0;
    for (int code = 1; code < 32; ++code) symbols += ink(code, 0) > 0;
    EXPECT_GT(symbols, 0);
}

TEST(Data, PageSheetHasItsFontAndEightColourfulTiles)
{
    Image sheet(IMGFromPNM(PAGE_SHEET, PAGE_SHEET_SIZE));
    ASSERT_NE(sheet.p, nullptr);
    for (int code = 33; code <= 126; ++code) EXPECT_GT(lit(glyph(sheet.p, code, 32)), 0) << code;
    EXPECT_EQ(lit(glyph(sheet.p, ' ', 32)), 0);
    for (int code = 1; code <= 28; ++code) EXPECT_GT(lit(glyph(sheet.p, code, 32)), 0) << code;
    for (int k = 0; k < 8; ++k) {
        std::vector<uint32_t> tile = glyph(sheet.p, 16 + k, 32);
        // The scene magnifies a tile over the whole screen and lowers each channel by 128:
        // a good tile has many colours and a good part of it stays visible after that.
        std::set<uint32_t> colours(tile.begin(), tile.end());
        EXPECT_GE(colours.size(), 4u) << "tile " << k;
        int visible = static_cast<int>(std::count_if(tile.begin(), tile.end(), [](uint32_t p) {
            return channel(p, 16) > 128 || channel(p, 8) > 128 || channel(p, 0) > 128;
        }));
        EXPECT_GE(visible, 1024 / 4) << "tile " << k;
        EXPECT_EQ(static_cast<int>(tile.size()), 1024);
    }
}

TEST(Data, LogosHaveEvenLinesOfTheirCharacters)
{
    struct Case {
        const char *text, *name, *cells;
        int32_t lines, width, bytes;
    } cases[] = {
        {LOGO_RAIN, "LOGO_RAIN", "A", 14, 32, 462},
        {LOGO_PLASMA, "LOGO_PLASMA", "A", 14, 32, 462},
        {LOGO_FRAME, "LOGO_FRAME", "#*", 16, 127, 2048},
    };
    for (const Case &c : cases) {
        EXPECT_EQ(TEXTLength(c.text), c.bytes) << c.name;
        EXPECT_EQ(TEXTLines(c.text), c.lines) << c.name;
        EXPECT_EQ(TEXTWidth(c.text), c.width) << c.name;
        // Every line is exactly as wide (a short one would shift the rest of the map).
        int32_t column = 0, drawn = 0;
        for (const char *p = c.text; *p; ++p) {
            if (*p == '\n') {
                EXPECT_EQ(column, c.width) << c.name;
                column = 0;
                continue;
            }
            ++column;
            if (*p == ' ') continue;
            ++drawn;
            EXPECT_NE(std::strchr(c.cells, *p), nullptr) << c.name << " holds '" << *p << "'";
        }
        EXPECT_EQ(c.text[c.bytes - 1], '\n') << c.name;
        EXPECT_GT(drawn, c.lines * c.width / 5) << c.name << " is mostly empty";
    }
    EXPECT_NE(std::strchr(LOGO_FRAME, '#'), nullptr);
    EXPECT_NE(std::strchr(LOGO_FRAME, '*'), nullptr);
    // The small logos stand in the middle of the 32 columns, a blank column each side.
    for (const char *logo : {LOGO_RAIN, LOGO_PLASMA}) {
        int first = 32, last = -1;
        for (int i = 0; logo[i]; ++i)
            if (logo[i] == 'A') {
                first = std::min(first, i % 33);
                last = std::max(last, i % 33);
            }
        EXPECT_GE(first, 1);
        EXPECT_EQ(first, 31 - last) << "centred";
    }
}

TEST(Data, ScrollTextIsOneLongLineFramedBySpaces)
{
    EXPECT_EQ(TEXTLength(SCROLL_TEXT), 1891);
    EXPECT_EQ(TEXTLines(SCROLL_TEXT), 0);
    for (int32_t i = 0; i < 1891; ++i)
        ASSERT_TRUE(SCROLL_TEXT[i] >= ' ' && SCROLL_TEXT[i] <= 'z') << "position " << i;
    // One letter fills the screen, so eight spaces clear it; the runs are longer.
    EXPECT_GT(std::strspn(SCROLL_TEXT, " "), 8u);
    std::string text(SCROLL_TEXT);
    EXPECT_GT(text.size() - 1 - text.find_last_not_of(' '), 8u);
    // At three pixels a frame a visit of the scene reads 94 characters: the first visit names
    // the group, the production and the party, the second tells the keys.
    std::string first = text.substr(0, 93), second = text.substr(94, 93);
    for (const char *words : {"KOVA", "1301", "Kestrel Bay"})
        EXPECT_NE(first.find(words), std::string::npos) << words;
    EXPECT_NE(second.find("Keys"), std::string::npos);
    EXPECT_EQ(text[93], ' ') << "the first visit ends between words";
}

TEST(Data, PagesAreSixPagesOfShortLines)
{
    EXPECT_EQ(TEXTLength(PAGES_TEXT), 3564);
    std::string text(PAGES_TEXT);
    ASSERT_EQ(text.size(), 3564u);
    EXPECT_EQ(text.back(), '\1') << "the last page's end is followed directly by the NUL";
    int pages = 0, lines = 0, longLines = 0;
    size_t column = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        char c = text[at];
        if (c == '\1') {
            EXPECT_EQ(column, 0u) << "page " << pages << " ends after a newline";
            EXPECT_GE(lines, 23) << "page " << pages;
            EXPECT_LE(lines, 34) << "page " << pages;
            // The last line stays up for about a second (a frame per byte) before the end.
            size_t hold = text.find_last_not_of(' ', at - 2);
            EXPECT_GE(at - 2 - hold, 20u) << "page " << pages;
            EXPECT_EQ(text[hold], '\n') << "page " << pages;
            ++pages;
            lines = 0;
        } else if (c == '\n') {
            EXPECT_LE(column, 33u);
            longLines += column > 32;
            // The banner, a page's first eight lines, leaves the tag's four columns free.
            if (lines < 8) {
                EXPECT_LE(column, 28u) << "page " << pages << " line " << lines;
            }
            ++lines;
            column = 0;
        } else {
            EXPECT_TRUE(c >= ' ' && c <= '~') << "byte " << int(c);
            ++column;
        }
    }
    EXPECT_EQ(pages, 6);
    EXPECT_EQ(longLines, 1);
}

TEST(Data, BarColoursAreTheSixRampRainbow)
{
    ASSERT_EQ(BAR_COLOURS.count, 96);
    for (int32_t i = 0; i < 96; ++i) {
        uint32_t k = static_cast<uint32_t>(i % 16), up = 0x10 * k, down = 0xF0 - 0x10 * k;
        uint32_t rule[6] = {0xF00000 | up << 8, down << 16 | 0xF000, 0x00F000 | up,
                            up << 16 | 0xF0F0, 0xF000F0 | down << 8, 0xF00000 | down};
        EXPECT_EQ(BAR_COLOURS.colours[i], rule[i / 16]) << "entry " << i;
    }
    EXPECT_EQ(BAR_COLOURS.colours[0], 0xF00000u);
    EXPECT_EQ(BAR_COLOURS.colours[15], 0xF0F000u);
    EXPECT_EQ(BAR_COLOURS.colours[16], 0xF0F000u);
    EXPECT_EQ(BAR_COLOURS.colours[63], 0xF0F0F0u);
    EXPECT_EQ(BAR_COLOURS.colours[64], 0xF0F0F0u);
    EXPECT_EQ(BAR_COLOURS.colours[95], 0xF00000u);
}

TEST(Data, PatternsHaveTheCharacterOfTheKit)
{
    // last non-zero, min, max, sign changes, peak position of each slot of the kit
    const Figures want[PATTERN_COUNT] = {
        {11007, -7522, 6560, 1372, 1387},  {10938, -6084, 7210, 633, 400},
        {9891, -15324, 15640, 771, 167},   {10855, -20736, 15178, 596, 124},
        {11015, -28697, 28652, 189, 106},  {8852, -21616, 32529, 26, 493},
        {10943, -12260, 11624, 1078, 10594}, {11023, -10874, 11719, 946, 405},
        {11001, -15655, 19464, 961, 345},  {10151, -19192, 22458, 863, 334},
        {11023, -24850, 25150, 1140, 471}, {9388, -9296, 11946, 398, 107},
        {8089, -21166, 19587, 564, 738},   {10019, -23952, 22542, 499, 623},
    };
    ASSERT_EQ(PATTERNS.count, PATTERN_COUNT);
    for (int i = 0; i < PATTERN_COUNT; ++i) {
        const SAMPLE &s = PATTERNS.patterns[i];
        ASSERT_EQ(s.length, 11024) << "pattern " << i;
        ASSERT_EQ(s.capacity, 11024) << "pattern " << i;
        ASSERT_NE(s.values, nullptr);
        // Every figure holds exactly; the minima and maxima keep every mix inside 16 bits.
        Figures got = figures(s), w = want[i];
        EXPECT_EQ(got.last, w.last) << "pattern " << i;
        EXPECT_EQ(got.min, w.min) << "pattern " << i;
        EXPECT_EQ(got.max, w.max) << "pattern " << i;
        EXPECT_EQ(got.changes, w.changes) << "pattern " << i;
        EXPECT_EQ(got.peak, w.peak) << "pattern " << i;
        for (int32_t k = got.last + 1; k < s.length; ++k) ASSERT_EQ(s.values[k], 0);
    }
    // The reversed sound: silent for exactly its first 31 values, then swelling to its peak late.
    const SAMPLE &reversed = PATTERNS.patterns[6];
    for (int k = 0; k < 31; ++k) EXPECT_EQ(reversed.values[k], 0) << k;
    EXPECT_NE(reversed.values[31], 0);
    int32_t early = 0, late = 0;
    for (int k = 31; k < 1031; ++k) early = std::max(early, std::abs(reversed.values[k]));
    for (int k = 9900; k < 10900; ++k) late = std::max(late, std::abs(reversed.values[k]));
    EXPECT_LT(early * 4, late);
    // The others are one-shots: loud at once, quiet at the end.
    for (int i = 0; i < PATTERN_COUNT; ++i) {
        if (i == 6) continue;
        const SAMPLE &s = PATTERNS.patterns[i];
        int32_t head = 0, tail = 0;
        for (int k = 0; k < 1500; ++k) head = std::max(head, std::abs(s.values[k]));
        for (int k = 8000; k < 11024; ++k) tail = std::max(tail, std::abs(s.values[k]));
        EXPECT_LT(tail * 8, head) << "pattern " << i;
    }
}

// Played through the loop, which only ever mixes a quarter of a pattern into it, the kit must
// be loud and full: each hit starts at once, has a body rather than a single spike, sits on
// the zero line and fades out instead of stopping on a click.
TEST(Data, PatternsHitAtOnceAreFullAndFadeOut)
{
    double levels = 0;
    for (int i = 0; i < PATTERN_COUNT; ++i) {
        const SAMPLE &s = PATTERNS.patterns[i];
        Figures f = figures(s);
        int32_t first = 0;
        while (first < s.length && s.values[first] == 0) ++first;
        EXPECT_EQ(first, i == 6 ? 31 : 0) << "pattern " << i << " waits";
        double sum = 0, squares = 0;
        for (int32_t k = 0; k < s.length; ++k) {
            sum += s.values[k];
            squares += double(s.values[k]) * s.values[k];
        }
        double peak = std::max(-f.min, f.max), rms = std::sqrt(squares / s.length);
        if (i == 1) {
            // The rim click is a click: within 20 dB of its peak for at most 40 ms, and no more.
            int32_t ring = f.peak;
            for (int32_t k = f.peak; k < s.length; ++k)
                if (10.0 * std::abs(s.values[k]) >= peak) ring = k;
            EXPECT_LT(ring - f.peak, 44100 * 40 / 1000) << "the rim click rings on";
        } else {
            EXPECT_LE(20 * std::log10(peak / rms), 20.0) << "pattern " << i << ": crest factor in dB";
        }
        EXPECT_LE(std::abs(sum / s.length), peak / 1000) << "pattern " << i << ": DC offset";
        for (int32_t k = f.last - 31; k <= f.last; ++k)
            EXPECT_LE(std::abs(s.values[k]), peak / 100) << "pattern " << i << " ends on a step at " << k;
        levels += 20 * std::log10(rms / 32768);
    }
    EXPECT_GE(levels / PATTERN_COUNT, -20.0) << "mean RMS of the kit in dBFS";
}

TEST(Data, EmbeddedDataIsWhatTheAssetFilesHold)
{
    struct Case {
        const char *file;
        const void *data;
        size_t size;
    } cases[] = {
        {"tag_sheet.ppm", TAG_SHEET, TAG_SHEET_SIZE},   {"text_sheet.ppm", TEXT_SHEET, TEXT_SHEET_SIZE},
        {"big_sheet.pbm", BIG_SHEET, BIG_SHEET_SIZE},   {"page_sheet.ppm", PAGE_SHEET, PAGE_SHEET_SIZE},
        {"logo_rain.txt", LOGO_RAIN, 462},              {"logo_plasma.txt", LOGO_PLASMA, 462},
        {"logo_frame.txt", LOGO_FRAME, 2048},           {"scroll.txt", SCROLL_TEXT, 1891},
        {"pages.txt", PAGES_TEXT, 3564},
    };
    for (const Case &c : cases) {
        std::string bytes = slurp(c.file);
        ASSERT_EQ(bytes.size(), c.size) << c.file;
        EXPECT_EQ(std::memcmp(bytes.data(), c.data, c.size), 0) << c.file;
    }
    for (int i = 0; i < PATTERN_COUNT; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "pattern%02d.wav", i);
        std::string wav = slurp(name);
        // A canonical 44-byte header: RIFF, WAVE, PCM, one channel, 44,100 Hz, 16 bits.
        ASSERT_EQ(wav.size(), 44u + 2 * 11024) << name;
        EXPECT_EQ(wav.compare(0, 4, "RIFF"), 0) << name;
        EXPECT_EQ(wav.compare(8, 4, "WAVE"), 0) << name;
        auto u16 = [&](size_t at) { return unsigned(uint8_t(wav[at])) | unsigned(uint8_t(wav[at + 1])) << 8; };
        EXPECT_EQ(u16(22), 1u) << name;
        EXPECT_EQ(u16(24) | u16(26) << 16, 44100u) << name;
        EXPECT_EQ(u16(34), 16u) << name;
        for (int32_t k = 0; k < 11024; ++k) {
            int32_t v = static_cast<int16_t>(u16(44 + 2 * static_cast<size_t>(k)));
            ASSERT_EQ(PATTERNS.patterns[i].values[k], v) << name << " value " << k;
        }
    }
}
