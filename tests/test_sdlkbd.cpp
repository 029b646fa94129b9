// Keyboard: the last key event of a batch, on SDL's dummy video driver with synthetic events.
#include <gtest/gtest.h>

#include <SDL.h>

#include "platform/sdldpy.h"
#include "platform/sdlkbd.h"
#include "report_capture.h"

namespace {

void push(Uint8 type, SDLKey symbol = SDLK_UNKNOWN)
{
    SDL_Event event{};
    event.type = type;
    if (type == SDL_KEYDOWN || type == SDL_KEYUP) {
        event.key.type = type;
        event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        event.key.keysym.sym = symbol;
    }
    ASSERT_EQ(SDL_PushEvent(&event), 0);
}

}  // namespace

// Runs first: no display exists yet.
TEST(SDLKBDWithoutDisplay, NewRefusesAndOperationsReport)
{
    ASSERT_EQ(SDLDPYInstance(), nullptr);
    SDLKBD *keyboard = reinterpret_cast<SDLKBD *>(1);
    EXPECT_EQ(reported(SDLKBDError, [&] { keyboard = SDLKBDNew(); }), "SDLKBD error\n");
    EXPECT_EQ(keyboard, nullptr);
    EXPECT_EQ(reported(SDLKBDError, [&] { SDLKBDGetKey(nullptr); }), "SDLKBD error\nSDLKBD error\n");
}

class SDLKBDTest : public testing::Test {
protected:
    static void SetUpTestSuite() { display = SDLDPYNew(); }
    static void TearDownTestSuite()
    {
        SDLDPYFree(&display);
        SDL_Quit();
    }
    void SetUp() override
    {
        ASSERT_NE(display, nullptr);
        keyboard = SDLKBDNew();
        ASSERT_NE(keyboard, nullptr);
        ASSERT_NE(keyboard->keys, nullptr);
        SDL_Event drained;
        while (SDL_PollEvent(&drained)) {}
        keyboard->keys[0] = 0;
    }
    void TearDown() override { SDLKBDFree(&keyboard); }
    static SDLDPY *display;
    SDLKBD *keyboard = nullptr;
};
SDLDPY *SDLKBDTest::display = nullptr;

TEST_F(SDLKBDTest, TheLastKeyEventOfTheBatchCounts)
{
    for (int i = 0; i < 8; ++i) EXPECT_EQ(keyboard->keys[i], 0) << "zeroed buffer";
    push(SDL_KEYDOWN, SDLK_ESCAPE);
    SDLKBDGetKey(keyboard);
    EXPECT_EQ(keyboard->keys[0], SDLK_ESCAPE);

    push(SDL_KEYDOWN, SDLK_5);
    push(SDL_KEYDOWN, SDLK_SPACE);
    SDLKBDGetKey(keyboard);
    EXPECT_EQ(keyboard->keys[0], SDLK_SPACE) << "two presses: the second";

    push(SDL_KEYDOWN, SDLK_f);
    push(SDL_KEYUP, SDLK_f);
    SDLKBDGetKey(keyboard);
    EXPECT_EQ(keyboard->keys[0], 0) << "pressed and released in one batch: lost";

    push(SDL_KEYDOWN, SDLK_a);
    push(SDL_KEYDOWN, SDLK_6);
    push(SDL_KEYUP, SDLK_a);
    SDLKBDGetKey(keyboard);
    EXPECT_EQ(keyboard->keys[0], 0) << "a release while another key is held leaves 0";

    // Nothing arriving keeps what the caller left; other events are drained and ignored.
    keyboard->keys[0] = SDLK_6;
    SDLKBDGetKey(keyboard);
    EXPECT_EQ(keyboard->keys[0], SDLK_6);
    push(SDL_QUIT);
    push(SDL_MOUSEMOTION);
    push(SDL_ACTIVEEVENT);
    SDLKBDGetKey(keyboard);
    EXPECT_EQ(keyboard->keys[0], SDLK_6) << "close request and mouse: byte unchanged";
    SDL_Event left;
    EXPECT_EQ(SDL_PollEvent(&left), 0) << "the queue is drained";
    for (int i = 1; i < 8; ++i) EXPECT_EQ(keyboard->keys[i], 0) << "only byte 0 is written";
}

TEST_F(SDLKBDTest, OnlyTheLowByteOfTheKeySymbolIsKept)
{
    push(SDL_KEYDOWN, SDLK_F2);  // 283
    SDLKBDGetKey(keyboard);
    EXPECT_EQ(keyboard->keys[0], SDLK_ESCAPE) << "F2 reads as Escape";
    push(SDL_KEYDOWN, SDLK_F7);  // 288
    SDLKBDGetKey(keyboard);
    EXPECT_EQ(keyboard->keys[0], SDLK_SPACE) << "F7 reads as space";
    push(SDL_KEYDOWN, SDLK_z);
    SDLKBDGetKey(keyboard);
    EXPECT_EQ(keyboard->keys[0], SDLK_z);
}

// The browser's symbols (1024 + scancode outside ASCII) against SDL 1.2's own names.
TEST(SDLKBDDesktopSymbol, WebSymbolsBecomeSDL12Symbols)
{
    const std::pair<int32_t, int32_t> keys[] = {
        {1024 + 59, SDLK_F2}, {1024 + 64, SDLK_F7}, {1024 + 106, SDLK_F15}, {1024 + 79, SDLK_RIGHT},
        {1024 + 98, SDLK_KP0}, {1024 + 97, SDLK_KP9}, {1024 + 229, SDLK_RSHIFT}, {145, SDLK_SCROLLOCK},
        {189, SDLK_MINUS}, {27, SDLK_ESCAPE}, {'f', SDLK_f}, {1024 + 107, SDLK_UNKNOWN}};  // the last: F16
    for (const auto &[web, desktop] : keys) EXPECT_EQ(SDLKBDDesktopSymbol(web), desktop) << "web symbol " << web;
}

TEST_F(SDLKBDTest, OneKeyboardAndTheCommonVerbs)
{
    SDLKBD *again = nullptr;
    EXPECT_EQ(reported(SDLKBDError, [&] { again = SDLKBDNew(); }), "") << "no report for the existing one";
    EXPECT_EQ(again, keyboard);

    const char *text = SDLKBDToASCII(keyboard);
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(SDLKBDToASCII(keyboard), text) << "one constant text";

    EXPECT_EQ(SDLKBDEqual(keyboard, keyboard), 1);
    SDLKBD other{};
    EXPECT_EQ(reported(SDLKBDError, [&] { EXPECT_EQ(SDLKBDEqual(keyboard, &other), 0); }), "");
    EXPECT_EQ(reported(SDLKBDError, [&] { EXPECT_EQ(SDLKBDEqual(keyboard, nullptr), 0); }), "SDLKBD error\n");

    EXPECT_EQ(reported(SDLKBDError, [&] { EXPECT_EQ(SDLKBDCopy(keyboard), nullptr); }), "");
    EXPECT_EQ(reported(SDLKBDError, [&] { EXPECT_EQ(SDLKBDCopy(nullptr), nullptr); }), "SDLKBD error\n");
    EXPECT_EQ(reported(SDLKBDError, [&] { EXPECT_EQ(SDLKBDFromASCII(""), nullptr); }), "");
    EXPECT_EQ(reported(SDLKBDError, [&] { EXPECT_EQ(SDLKBDFromASCII(nullptr), nullptr); }), "SDLKBD error\n");
    EXPECT_EQ(reported(SDLKBDError, [&] { EXPECT_EQ(SDLKBDToASCII(nullptr), nullptr); }), "SDLKBD error\n");
}

TEST_F(SDLKBDTest, FreeForgetsTheKeyboardAndRefusesBadAddresses)
{
    SDLKBD *gone = nullptr;
    EXPECT_EQ(reported(SDLKBDError, [&] { SDLKBDFree(nullptr); }), "SDLKBD error\n");
    EXPECT_EQ(reported(SDLKBDError, [&] { SDLKBDFree(&gone); }), "SDLKBD error\n");
    SDLKBD broken{};
    SDLKBD *brokenPointer = &broken;
    EXPECT_EQ(reported(SDLKBDError, [&] { SDLKBDFree(&brokenPointer); }), "SDLKBD error\n");
    EXPECT_EQ(brokenPointer, &broken);

    SDLKBDFree(&keyboard);
    EXPECT_EQ(keyboard, nullptr);
    keyboard = SDLKBDNew();
    ASSERT_NE(keyboard, nullptr) << "a later New makes a new keyboard";
    EXPECT_EQ(keyboard->keys[0], 0);
}
