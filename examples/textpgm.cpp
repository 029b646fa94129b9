// textpgm: renders a line of text with a bitmap font into a PGM picture. The font is any PNM
// picture holding the glyphs as a grid of equal cells in character-code order.
//   kova-textpgm SHEET CELL_W CELL_H TEXT OUT.pgm
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <kova/gfx/bfont.h>
#include <kova/gfx/bytemap.h>

int main(int argc, char **argv)
{
    long cellW = argc == 6 ? std::strtol(argv[2], nullptr, 10) : 0;
    long cellH = argc == 6 ? std::strtol(argv[3], nullptr, 10) : 0;
    long length = argc == 6 ? long(std::strlen(argv[4])) : 0;
    if (cellW < 1 || cellW > 256 || cellH < 1 || cellH > 256 || length < 1 || length > 256) {
        std::fprintf(stderr, "usage: kova-textpgm SHEET CELL_W CELL_H TEXT OUT.pgm "
                             "(cells 1 to 256, TEXT 1 to 256 characters)\n");
        return 2;
    }
    BYTEMAP *sheet = BYTEMAPLoadPNM(argv[1]);  // a 1-bit sheet reads as 0 and 255
    if (!sheet || sheet->width < cellW || sheet->height < cellH) {
        std::fprintf(stderr, "kova-textpgm: %s is not a PNM glyph sheet of %ld x %ld cells\n",
                     argv[1], cellW, cellH);
        BYTEMAPFree(&sheet);
        return 1;
    }
    BFONT *font = BFONTNew();
    BYTEMAP *picture = BYTEMAPNew();
    if (!font || !picture) {
        std::fprintf(stderr, "kova-textpgm: out of memory\n");
        return 1;
    }
    font->sheet = sheet;  // the font owns its sheet from here on
    font->width = int32_t(cellW);
    font->height = int32_t(cellH);
    font->target = picture;
    BYTEMAPResize(picture, int32_t(cellW * length), int32_t(cellH));
    BFONTDrawLine(font, argv[4]);  // from the pen at (0, 0), one cell per character

    int written = BYTEMAPSavePGM(picture, argv[5]);
    BFONTFree(&font);
    BYTEMAPFree(&picture);
    if (!written) {
        std::fprintf(stderr, "kova-textpgm: could not write %s\n", argv[5]);
        return 1;
    }
    return 0;
}
