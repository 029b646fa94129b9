// Allocation failure in every module operation that allocates: for every n, the n-th allocation
// of the operation fails, and the operation must give its neutral result, print its module's
// report line (with every switch on) and leave its inputs as they were (or as its header says).
// Only the project's own allocations are counted and failed (support/alloc_fail.h); under
// AddressSanitizer a failure path that loses memory is reported as a leak when the program ends.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/music.h"
#include "audio/sample.h"
#include "core/list.h"
#include "core/text.h"
#include "fx/bplasma.h"
#include "fx/bscroll.h"
#include "fx/raster.h"
#include "gfx/bfont.h"
#include "gfx/cursor.h"
#include "gfx/font.h"
#include "platform/sdldpy.h"
#include "platform/sdlkbd.h"
#include "platform/sdlsnd.h"
#include "support/alloc_fail.h"
#include "support/helpers.h"

namespace {

using namespace support;
using Img = Owned<IMG, IMGFree>;
using Map = Owned<BYTEMAP, BYTEMAPFree>;
using List = Owned<LIST, LISTFree>;
using Sample = Owned<SAMPLE, SAMPLEFree>;
using Raster = Owned<RASTER, RASTERFree>;
using Plasma = Owned<BPLASMA, BPLASMAFree>;
using Scroll = Owned<BSCROLL, BSCROLLFree>;
using Font = Owned<FONT, FONTFree>;
using BFont = Owned<BFONT, BFONTFree>;
using Cursor = Owned<CURSOR, CURSORFree>;
using Music = Owned<MUSIC, MUSICFree>;

ErrorReporter *const REPORTERS[] = {&LISTError,  &TEXTError,    &IMGError,    &BYTEMAPError, &FONTError,
                                    &BFONTError, &CURSORError,  &BPLASMAError, &BSCROLLError, &RASTERError,
                                    &SAMPLEError, &MUSICError,  &SDLSNDError, &SDLKBDError,  &SDLDPYError};

// A record as bytes: its fields, then what it owns. Two descriptions of one record agree when
// nothing in it has changed.
template <class T>
std::string raw(const T *p, int64_t n = 1)
{
    return p ? std::string(reinterpret_cast<const char *>(p), size_t(n < 0 ? 0 : n) * sizeof(T)) : "null";
}
std::string describe(const IMG *i) { return i ? raw(i) + raw(i->pixels, int64_t{i->width} * i->height) : "null"; }
std::string describe(const BYTEMAP *m) { return m ? raw(m) + raw(m->data, int64_t{m->width} * m->height) : "null"; }
std::string describe(const LIST *l) { return l ? raw(l) + raw(l->items, l->count) : "null"; }
std::string describe(const SAMPLE *s) { return s ? raw(s) + raw(s->values, s->length) : "null"; }
std::string describe(const RASTER *r) { return r ? raw(r) + raw(r->table, r->count) : "null"; }
std::string describe(const CURSOR *c) { return raw(c); }
std::string describe(const BSCROLL *s) { return s ? raw(s) + raw(s->cursor) : "null"; }
std::string describe(const FONT *f) { return f ? raw(f) + describe(f->sheet) : "null"; }
std::string describe(const BFONT *f) { return f ? raw(f) + describe(f->sheet) : "null"; }
std::string describe(const MUSIC *m) { return m ? raw(m) + describe(m->loop) + describe(m->patterns) : "null"; }
std::string describe(const SDLSND *s) { return s ? raw(s) + describe(s->queue) : "null"; }
std::string describe(const BPLASMA *p)
{
    return p ? raw(p) + describe(p->map) + raw(p->xwave, p->width) + raw(p->ywave, p->height) : "null";
}

// One run of a case. Its inputs are made with the shim off; the operation runs armed, with
// every error switch on and standard output captured, between two descriptions of the records
// it is given to watch.
struct Probe {
    explicit Probe(uint64_t n) : failAt(n) {}
    uint64_t failAt;       // the allocation that fails; 0: none, the allocations are counted
    uint64_t seen = 0;     // allocations the operation asked for
    bool hasResult = false, neutral = false;
    std::string printed, before, after;

    template <class Op, class... R>
    auto operator()(Op op, const R *...watched)
    {
        before = (std::string() + ... + describe(watched));
        for (ErrorReporter *r : REPORTERS) r->on = 1;
        std::fflush(stdout);
        testing::internal::CaptureStdout();
        alloc::arm(failAt);
        if constexpr (std::is_void_v<decltype(op())>) {
            op();
            finish();
            after = (std::string() + ... + describe(watched));
        } else {
            auto result = op();
            finish();
            hasResult = true;
            neutral = !result;
            after = (std::string() + ... + describe(watched));
            return result;
        }
    }
    void finish()
    {
        seen = alloc::disarm();
        std::fflush(stdout);
        printed = testing::internal::GetCapturedStdout();
        for (ErrorReporter *r : REPORTERS) r->on = 0;
    }
    bool failed() const { return failAt && alloc::fired(); }
};

struct Case {
    const char *name;
    const ErrorReporter *reporter;  // whose line a failure prints; null: nothing is printed
    void (*run)(Probe &);
    bool absorbs = false;           // a failure may leave a smaller but usable result, and any report
};

SAMPLE *sampleOf(std::initializer_list<int32_t> values)
{
    SAMPLE *s = SAMPLENew();
    SAMPLESetLength(s, int32_t(values.size()));
    int32_t i = 0;
    for (int32_t v : values) s->values[i++] = v;
    return s;
}

LIST *fullList(int32_t count)  // capacity == count: the next item makes it grow
{
    static int items[64];
    LIST *list = LISTNew();
    for (int32_t i = 0; i < count; ++i) LISTAppend(list, &items[i]);
    return list;
}

RASTER *rasterOf(int32_t count)
{
    RASTER *r = RASTERNew();
    RASTERResize(r, count);
    for (int32_t i = 0; i < count; ++i) r->table[i] = 0x010203u * uint32_t(i + 1);
    return r;
}

template <class F>
F *fontWithSheet(F *font, decltype(F::sheet) sheet)
{
    font->width = font->height = 2;
    font->sheet = sheet;
    return font;
}

const char P6[] = "P6 2 2 255\n\1\2\3\4\5\6\7\10\11\12\13\14";

int dummyTarget[1];

const Case CASES[] = {
    // ---- LIST ----
    {"LISTNew", &LISTError, [](Probe &p) { List l(p([] { return LISTNew(); })); }},
    {"LISTCopy", &LISTError, [](Probe &p) { List a(fullList(5)); List c(p([&] { return LISTCopy(a); }, a.p)); }},
    {"LISTSub", &LISTError, [](Probe &p) { List a(fullList(5)); List c(p([&] { return LISTSub(a, 1, 4); }, a.p)); }},
    {"LISTAppend", &LISTError, [](Probe &p) { List a(fullList(4)); p([&] { return LISTAppend(a, dummyTarget); }, a.p); }},
    {"LISTInsert", &LISTError, [](Probe &p) { List a(fullList(2)); p([&] { return LISTInsert(a, dummyTarget, 1); }, a.p); }},
    {"LISTGrow", &LISTError, [](Probe &p) { List a(fullList(2)); p([&] { return LISTGrow(a); }, a.p); }},
    {"LISTInsertRange, growing twice", &LISTError, [](Probe &p) {
         List a(fullList(6)), b(fullList(2));
         p([&] { return LISTInsertRange(a, b, 0, 6, 1); }, a.p, b.p);
     }},
    {"LISTInsertRange of itself", &LISTError, [](Probe &p) {
         List a(fullList(4));
         p([&] { return LISTInsertRange(a, a, 1, 3, 0); }, a.p);
     }},
    // ---- TEXT (reports nothing) ----
    {"TEXTRead", nullptr, [](Probe &p) {
         TempFile f("kova_alloc", "text");
         f.write("two\nlines\n");
         std::free(p([&] { return TEXTRead(f.path.c_str()); }));
     }},
    // ---- IMG ----
    {"IMGNew", &IMGError, [](Probe &p) { Img i(p([] { return IMGNew(); })); }},
    {"IMGResize: left empty", &IMGError, [](Probe &p) {
         Img i(newImage(3, 2, 7));
         p([&] { IMGResize(i, 5, 4); });
         if (p.failed()) {
             EXPECT_TRUE(!i->pixels && i->width == 0 && i->height == 0) << "IMGResize leaves it empty";
         }
     }},
    {"IMGCopy", &IMGError, [](Probe &p) { Img a(newImage(3, 2, 7)); Img c(p([&] { return IMGCopy(a); }, a.p)); }},
    {"IMGToASCII", &IMGError, [](Probe &p) { Img a(newImage(3, 2, 7)); std::free(p([&] { return IMGToASCII(a); }, a.p)); }},
    {"IMGFromASCII", &IMGError, [](Probe &p) { Img i(p([] { return IMGFromASCII("IMG{\nP3\n1 1\n255\n1 2 3\n}\n"); })); }},
    {"IMGFromPNM", &IMGError, [](Probe &p) { Img i(p([] { return IMGFromPNM(P6, sizeof P6 - 1); })); }},
    {"IMGLoadPNM", &IMGError, [](Probe &p) {
         TempFile f("kova_alloc", "img.ppm");
         f.write(std::string(P6, sizeof P6 - 1));
         Img i(p([&] { return IMGLoadPNM(f.path.c_str()); }));
     }},
    {"IMGSavePPM", &IMGError, [](Probe &p) {
         TempFile f("kova_alloc", "save.ppm");
         Img a(newImage(3, 2, 7));
         p([&] { return IMGSavePPM(a, f.path.c_str()); }, a.p);
     }},
    {"IMGRotate", &IMGError, [](Probe &p) { Img a(newImage(5, 3, 7)); Img r(p([&] { return IMGRotate(a, 100); }, a.p)); }},
    {"IMGScale", &IMGError, [](Probe &p) { Img a(newImage(3, 2, 7)), b(newImage(7, 5, 1)); p([&] { IMGScale(a, b); }, a.p, b.p); }},
    {"IMGRunTable", &IMGError, [](Probe &p) { std::free(p([] { return IMGRunTable(5, 17); })); }},
    {"IMGLinePoints", &IMGError, [](Probe &p) { std::free(p([] { return IMGLinePoints(0, 0, 9, 4); })); }},
    // ---- BYTEMAP ----
    {"BYTEMAPNew", &BYTEMAPError, [](Probe &p) { Map m(p([] { return BYTEMAPNew(); })); }},
    {"BYTEMAPResize: left empty", &BYTEMAPError, [](Probe &p) {
         Map m(newMap(3, 2, 7));
         p([&] { BYTEMAPResize(m, 5, 4); });
         if (p.failed()) {
             EXPECT_TRUE(!m->data && m->width == 0 && m->height == 0) << "BYTEMAPResize leaves it empty";
         }
     }},
    {"BYTEMAPCopy", &BYTEMAPError, [](Probe &p) { Map a(newMap(3, 2, 7)); Map c(p([&] { return BYTEMAPCopy(a); }, a.p)); }},
    {"BYTEMAPToASCII", &BYTEMAPError, [](Probe &p) { Map a(newMap(3, 2, 7)); std::free(p([&] { return BYTEMAPToASCII(a); }, a.p)); }},
    {"BYTEMAPFromASCII", &BYTEMAPError, [](Probe &p) { Map m(p([] { return BYTEMAPFromASCII("BYTEMAP{\nP3\n1 1\n255\n1 2 3\n}\n"); })); }},
    {"BYTEMAPFromPNM", &BYTEMAPError, [](Probe &p) { Map m(p([] { return BYTEMAPFromPNM(P6, sizeof P6 - 1); })); }},
    {"BYTEMAPLoadPNM", &BYTEMAPError, [](Probe &p) {
         TempFile f("kova_alloc", "map.ppm");
         f.write(std::string(P6, sizeof P6 - 1));
         Map m(p([&] { return BYTEMAPLoadPNM(f.path.c_str()); }));
     }},
    {"BYTEMAPRotate", &BYTEMAPError, [](Probe &p) { Map a(newMap(5, 3, 7)); Map r(p([&] { return BYTEMAPRotate(a, 100); }, a.p)); }},
    {"BYTEMAPScale", &BYTEMAPError, [](Probe &p) { Map a(newMap(3, 2, 7)), b(newMap(7, 5, 1)); p([&] { BYTEMAPScale(a, b); }, a.p, b.p); }},
    {"BYTEMAPRunTable", &BYTEMAPError, [](Probe &p) { std::free(p([] { return BYTEMAPRunTable(5, 17); })); }},
    {"BYTEMAPLinePoints", &BYTEMAPError, [](Probe &p) { std::free(p([] { return BYTEMAPLinePoints(0, 0, 9, 4); })); }},
    // ---- FONT, BFONT, CURSOR ----
    {"FONTNew", &FONTError, [](Probe &p) { Font f(p([] { return FONTNew(); })); }},
    {"FONTCopy", &FONTError, [](Probe &p) {
         Font f(fontWithSheet(FONTNew(), newImage(4, 4, 9)));
         Font c(p([&] { return FONTCopy(f); }, f.p));
     }},
    {"BFONTNew", &BFONTError, [](Probe &p) { BFont f(p([] { return BFONTNew(); })); }},
    {"BFONTCopy", &BFONTError, [](Probe &p) {
         BFont f(fontWithSheet(BFONTNew(), newMap(4, 4, 9)));
         BFont c(p([&] { return BFONTCopy(f); }, f.p));
     }},
    {"CURSORNew", &CURSORError, [](Probe &p) { Cursor c(p([] { return CURSORNew(); })); }},
    {"CURSORCopy", &CURSORError, [](Probe &p) { Cursor a(CURSORNew()); Cursor c(p([&] { return CURSORCopy(a); }, a.p)); }},
    // ---- BPLASMA, BSCROLL, RASTER ----
    {"BPLASMANew", &BPLASMAError, [](Probe &p) { Plasma q(p([] { return BPLASMANew(); })); }},
    {"BPLASMACopy", &BPLASMAError, [](Probe &p) {
         Plasma a(BPLASMANew());
         BPLASMAResize(a, 5, 3);
         BPLASMADraw(a);
         Plasma c(p([&] { return BPLASMACopy(a); }, a.p));
     }},
    {"BPLASMAResize", &BPLASMAError, [](Probe &p) {
         Plasma a(BPLASMANew());
         BPLASMAResize(a, 5, 3);
         BPLASMADraw(a);
         p([&] { BPLASMAResize(a, 7, 2); }, a.p);
     }},
    {"BSCROLLNew", &BSCROLLError, [](Probe &p) { Scroll s(p([] { return BSCROLLNew(); })); }},
    {"BSCROLLCopy", &BSCROLLError, [](Probe &p) { Scroll a(BSCROLLNew()); Scroll c(p([&] { return BSCROLLCopy(a); }, a.p)); }},
    {"BSCROLLSet", &BSCROLLError, [](Probe &p) {
         Scroll s(BSCROLLNew());
         BFont f(fontWithSheet(BFONTNew(), newMap(4, 4, 9)));
         Map target(newMap(8, 8, 0));
         p([&] { BSCROLLSet(s, "HELLO", f, target); }, s.p);
     }},
    {"RASTERNew", &RASTERError, [](Probe &p) { Raster r(p([] { return RASTERNew(); })); }},
    {"RASTERCopy", &RASTERError, [](Probe &p) { Raster a(rasterOf(5)); Raster c(p([&] { return RASTERCopy(a); }, a.p)); }},
    {"RASTERResize", &RASTERError, [](Probe &p) { Raster a(rasterOf(5)); p([&] { RASTERResize(a, 9); }, a.p); }},
    {"RASTERSmooth", &RASTERError, [](Probe &p) { Raster a(rasterOf(5)); p([&] { RASTERSmooth(a, 2); }, a.p); }},
    {"RASTERSave", &RASTERError, [](Probe &p) {
         TempFile f("kova_alloc", "table");
         Raster a(rasterOf(5));
         p([&] { return RASTERSave(a, f.path.c_str()); }, a.p);
     }},
    {"RASTERLoad", &RASTERError, [](Probe &p) {
         TempFile f("kova_alloc", "table");
         f.write(std::string("\2\0\0\0\1\2\3\0\4\5\6\0", 12));
         Raster r(p([&] { return RASTERLoad(f.path.c_str()); }));
     }},
    // ---- SAMPLE ----
    {"SAMPLENew", &SAMPLEError, [](Probe &p) { Sample s(p([] { return SAMPLENew(); })); }},
    {"SAMPLECopy", &SAMPLEError, [](Probe &p) { Sample a(sampleOf({1, -2, 3})); Sample c(p([&] { return SAMPLECopy(a); }, a.p)); }},
    {"SAMPLEToASCII", &SAMPLEError, [](Probe &p) { Sample a(sampleOf({1, -2, 3})); std::free(p([&] { return SAMPLEToASCII(a); }, a.p)); }},
    {"SAMPLEFromASCII", &SAMPLEError, [](Probe &p) { Sample s(p([] { return SAMPLEFromASCII("SAMPLE{2\n5\n-6\n}\n"); })); }},
    {"SAMPLEReserve", &SAMPLEError, [](Probe &p) { Sample a(sampleOf({1, -2, 3})); p([&] { return SAMPLEReserve(a, 64); }, a.p); }},
    {"SAMPLESetLength", &SAMPLEError, [](Probe &p) { Sample a(sampleOf({1, -2, 3})); p([&] { return SAMPLESetLength(a, 40); }, a.p); }},
    {"SAMPLEInsert, full", &SAMPLEError, [](Probe &p) { Sample a(sampleOf({1, -2, 3})); SAMPLEReserve(a, 3); p([&] { SAMPLEInsert(a, 9, 1); }, a.p); }},
    {"SAMPLESub", &SAMPLEError, [](Probe &p) { Sample a(sampleOf({1, -2, 3})); Sample c(p([&] { return SAMPLESub(a, 1, 3); }, a.p)); }},
    {"SAMPLEInsertSample", &SAMPLEError, [](Probe &p) {
         Sample a(sampleOf({1, -2, 3})), b(sampleOf({4, 5}));
         p([&] { SAMPLEInsertSample(a, b, 1); }, a.p, b.p);
     }},
    {"SAMPLEInsertSample of itself", &SAMPLEError, [](Probe &p) { Sample a(sampleOf({1, -2, 3})); p([&] { SAMPLEInsertSample(a, a, 1); }, a.p); }},
    {"SAMPLEResample", &SAMPLEError, [](Probe &p) { Sample a(sampleOf({1, -2, 3})); p([&] { SAMPLEResample(a, 7); }, a.p); }},
    {"SAMPLERotateLeft", &SAMPLEError, [](Probe &p) { Sample a(sampleOf({1, -2, 3})); p([&] { SAMPLERotateLeft(a, 1); }, a.p); }},
    {"SAMPLERotateRight", &SAMPLEError, [](Probe &p) { Sample a(sampleOf({1, -2, 3})); p([&] { SAMPLERotateRight(a, 2); }, a.p); }},
    {"SAMPLERead, growing", &SAMPLEError, [](Probe &p) {
         std::FILE *file = std::tmpfile();
         ASSERT_TRUE(file);
         for (int i = 0; i < 1500; ++i) std::fputc(i & 0xFF, file);
         std::rewind(file);
         Sample s(p([&] { return SAMPLERead(file, 8, 'l', 's'); }));
         std::fclose(file);
     }},
    // ---- MUSIC ----
    {"MUSICNew", &MUSICError, [](Probe &p) { Music m(p([] { return MUSICNew(); })); }},
    {"MUSICAddPattern, list full", &MUSICError, [](Probe &p) {
         Music m(MUSICNew());
         for (int i = 0; i < 2; ++i) MUSICAddPattern(m, sampleOf({i}));
         SAMPLE *third = sampleOf({3});
         if (!p([&] { return MUSICAddPattern(m, third); }, m.p)) SAMPLEFree(&third);
     }},
    {"MUSICStep, a new scratch", &MUSICError, [](Probe &p) {
         // The scratch is shared: a step at another length first makes the next one remake it.
         Music other(MUSICNew()), m(MUSICNew());
         SAMPLESetLength(other->loop, 16);
         MUSICAddPattern(other, sampleOf({1}));
         MUSICStep(other);
         MUSICAddPattern(m, sampleOf({100, 200, 300}));
         p([&] { MUSICStep(m); }, m.p);
     }},
    // ---- The platform: display, keyboard, sound output ----
    {"SDLDPYNew", &SDLDPYError, [](Probe &p) {
         SDLDPY *d = p([] { return SDLDPYNew(); });
         if (d) SDLDPYFree(&d);
     }},
    {"SDLKBDNew", &SDLKBDError, [](Probe &p) {
         SDLDPY *d = SDLDPYNew();
         SDLKBD *k = p([] { return SDLKBDNew(); });
         if (k) SDLKBDFree(&k);
         SDLDPYFree(&d);
     }},
    // Without memory for its queue the output still opens; the first sample queued makes one.
    {"SDLSNDNew", &SDLSNDError, [](Probe &p) {
         SDLSND *s = p([] { return SDLSNDNew(); });
         if (s) SDLSNDFree(&s);
     }, true},
    {"SDLSNDPlaySAMPLE, queue full", &SDLSNDError, [](Probe &p) {
         SDLSND *s = SDLSNDNew();
         ASSERT_TRUE(s);
         SDL_PauseAudio(1);
         Sample a(sampleOf({1, 2}));
         for (int i = 0; i < 2; ++i) SDLSNDPlaySAMPLE(s, a);
         p([&] { SDLSNDPlaySAMPLE(s, a); }, s);
         SDLSNDFree(&s);
     }},
};

}  // namespace

TEST(AllocationFailure, EveryAllocationOfEveryOperation)
{
    for (const Case &c : CASES) {
        SCOPED_TRACE(c.name);
        Probe counting(0);
        c.run(counting);
        ASSERT_GT(counting.seen, 0u) << "allocates nothing";
        EXPECT_FALSE(counting.neutral) << "fails with nothing failing";
        EXPECT_EQ(counting.printed, "") << "reports with nothing failing";
        for (uint64_t n = 1; n <= counting.seen; ++n) {
            SCOPED_TRACE("allocation " + std::to_string(n) + " of " + std::to_string(counting.seen));
            Probe p(n);
            c.run(p);
            ASSERT_TRUE(alloc::fired());
            if (c.absorbs) {
                EXPECT_NE(p.printed, "");
                if (!p.neutral) continue;
            }
            EXPECT_TRUE(p.neutral || !p.hasResult) << "a failure reported as success";
            EXPECT_TRUE(p.after == p.before) << "the inputs changed";
            const std::string line = c.reporter ? std::string(c.reporter->line) + "\n" : "";
            EXPECT_TRUE(c.reporter ? p.printed.find(line) != std::string::npos : p.printed.empty()) << p.printed;
        }
    }
}
