// What the unit tests need to run screens without a display: a stand-in 640 x 480 mode,
// stand-in pictures and font, scripted input and pixel reading.
#pragma once

#include <allegro.h>
#include <gtest/gtest.h>

#include <string>

#include "app/input.h"

// A memory bitmap as `screen` with a stand-in graphics driver, so that SCREEN_W, SCREEN_H,
// `screen` and makecol behave as in a real mode of the given size and depth. Also gives
// resources a back buffer. Restores everything when it goes.
class FakeDisplay {
public:
    explicit FakeDisplay(int depth = 16, int width = 640, int height = 480);
    ~FakeDisplay();
    FakeDisplay(const FakeDisplay &) = delete;
    FakeDisplay &operator=(const FakeDisplay &) = delete;

private:
    GFX_DRIVER driver_{};
};

// Stand-in pictures in the current depth: a 640 x 480 background of one colour, a 50 x 35
// piece face of another (mask colour outside a 46 x 31 face), a symbol strip of `symbols`
// symbols each filled with its own colour, a title picture; the built-in 8-pixel font, or a
// font of the given height, as game_font. Releases them when it goes.
class FakeResources {
public:
    explicit FakeResources(int symbols = 36, int font_height = 8);
    ~FakeResources();
    FakeResources(const FakeResources &) = delete;
    FakeResources &operator=(const FakeResources &) = delete;

    static int background_colour();  // makecol values in the current depth
    static int face_colour();
    static int symbol_colour(int symbol);  // symbol 1 to N
    static int title_colour();

private:
    FONT *made_font_ = nullptr;
};

// Scripted input: the library's input globals written directly, as no driver is installed.
namespace input {
void reset();  // pointer at (0, 0), no button, no key
void pointer(int x, int y, int buttons = 0);
void buttons(int b);
void key_down(int scancode);
void key_up(int scancode);
}  // namespace input

// The game's input recorder hooked to the library's callbacks, fed as its input thread feeds
// them; the buttons and keys the tests press are let go again after each test.
class RecordedInput : public ::testing::Test {
protected:
    void SetUp() override
    {
        install_input();
        input::reset();
        discard_pending_input();
    }
    void TearDown() override
    {
        mouse_callback(MOUSE_FLAG_LEFT_UP | MOUSE_FLAG_RIGHT_UP);
        for (int k : {KEY_S, KEY_LCONTROL, KEY_LSHIFT, KEY_Z})
            keyboard_lowlevel_callback(k | 0x80);
        SetUp();
    }
};

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb &o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb &o) const { return !(*this == o); }
};
std::string to_string(const Rgb &c);
void PrintTo(const Rgb &c, std::ostream *os);

// Colour of a pixel of any 15/16/24/32-bit bitmap, and of a makecol value, as 8-bit components.
Rgb rgb_at(BITMAP *bitmap, int x, int y);
Rgb rgb_of(int colour, int depth);

// True when every pixel of the two bitmaps (of equal size and depth) is the same.
bool same_pixels(BITMAP *a, BITMAP *b);
