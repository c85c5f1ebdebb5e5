// The window enlarged by a whole factor: the factor asked for and fitted to the desktop, the
// modes tried, the frame copied as blocks, and the library's dialogs enlarged with it.
#include <gtest/gtest.h>

#include <allegro.h>

#include <string>
#include <utility>
#include <vector>

#include "app/display_scale.h"
#include "app/input.h"
#include "app/resources.h"
#include "support/headless.h"

namespace {

TEST(ScaleSetting, ReadFromTheVariableAndFittedToTheDesktop)
{
    const std::pair<const char *, int> values[] = {
        {nullptr, 1}, {"", 1},   {"1", 1},   {"2", 2},   {"8", 8},   {"auto", auto_scale},
        {"0", -1},    {"9", -1}, {"12", -1}, {"-2", -1}, {" 2", -1}, {"2 ", -1}, {"Auto", -1}};
    for (auto [value, factor] : values)
        EXPECT_EQ(parse_scale(value), factor) << (value ? value : "(unset)");
    // Room is left for the window's frame and a tenth of the height for the panels.
    const int desktops[][3] = {{2560, 1600, 3}, {1024, 768, 1}, {1920, 1080, 2},
                               {3840, 2160, 4}, {1366, 768, 1}, {1280, 1024, 1},
                               {2560, 1440, 2}, {20000, 20000, 8}, {0, 0, 1}};
    for (auto [w, h, factor] : desktops)
        EXPECT_EQ(fitting_scale(w, h), factor) << w << " x " << h;
}

// A display that opens windows up to a width, in some depths only.
int widest;
std::vector<int> depths;
std::vector<std::string> tried;  // "WxH@depth"

int open_mode(int, int w, int h, int, int)
{
    tried.push_back(std::to_string(w) + "x" + std::to_string(h) + "@" +
                    std::to_string(get_color_depth()));
    for (int d : depths)
        if (d == get_color_depth() && w <= widest)
            return 0;
    return -1;
}

TEST(DisplayMode, EachFactorInEveryDepthBeforeTheNextSmaller)
{
    widest = 1280, depths = {32}, tried.clear();
    EXPECT_EQ(open_largest_scale(GFX_AUTODETECT_WINDOWED, 3, open_mode), 2);
    EXPECT_EQ(tried, std::vector<std::string>({"1920x1440@16", "1920x1440@32", "1920x1440@15",
                                               "1920x1440@24", "1280x960@16", "1280x960@32"}));
    widest = 640, depths = {16}, tried.clear();
    EXPECT_EQ(open_largest_scale(GFX_AUTODETECT_WINDOWED, 1, open_mode), 1);
    EXPECT_EQ(tried, std::vector<std::string>({"640x480@16"}));
    depths = {8}, tried.clear();
    EXPECT_EQ(open_largest_scale(GFX_AUTODETECT_WINDOWED, 2, open_mode), 0) << "none opens";
    EXPECT_EQ(tried.size(), 8u);
}

TEST(Enlarging, EveryPixelBecomesABlockInEveryDepth)
{
    for (int depth : {15, 16, 24, 32})
        for (int f : {1, 2, 3}) {
            // An odd size, so that rows and columns cannot be mixed up unseen; the target has
            // a margin that must stay as it was.
            BITMAP *frame = create_bitmap_ex(depth, 37, 23);
            for (int y = 0; y < 23; y++)
                for (int x = 0; x < 37; x++)
                    putpixel(frame, x, y, makecol_depth(depth, x * 7, y * 11, x * y % 256));
            BITMAP *target = create_bitmap_ex(depth, 37 * f + 5, 23 * f + 4);
            const int margin = makecol_depth(depth, 1, 2, 3);
            clear_to_color(target, margin);
            blit_enlarged(frame, target, f);
            int wrong = 0;
            for (int y = 0; y < target->h; y++)
                for (int x = 0; x < target->w; x++)
                    wrong += getpixel(target, x, y) !=
                             (x < 37 * f && y < 23 * f ? getpixel(frame, x / f, y / f) : margin);
            EXPECT_EQ(wrong, 0) << depth << " bits, factor " << f;
            destroy_bitmap(frame);
            destroy_bitmap(target);
        }
}

// A dialog draws a mark where its pointer hooks say the pointer is; the screen must show the
// mark under the real pointer, whether the pointer rests or a button is down, at every factor.
// The pointer sits on the last pixel of its block, so that a position mapped with the factor
// twice, or not at all, or rounded the wrong way, puts the mark elsewhere.
TEST(EnlargedDialogs, AMarkDrawnAtThePointerTheHooksGiveShowsUnderThePointer)
{
    for (int f : {1, 2, 3}) {
        FakeDisplay display(16, frame_width * f, frame_height * f);
        set_display_scale(f);
        const int ground = makecol(0, 0, 80), mark = makecol(255, 255, 0);
        clear_to_color(screen, ground);
        const int sx = 137 * f + f - 1, sy = 211 * f + f - 1;
        input::reset();
        input::pointer(sx, sy);
        int held_x = -1, held_y = -1;
        {
            DialogInput dialog;
            BITMAP *drawn = gui_get_screen();
            EXPECT_EQ(drawn == screen, f == 1) << "factor " << f;
            const int x = gui_mouse_x(), y = gui_mouse_y();
            putpixel(drawn, x, y, mark);
            input::buttons(1);
            EXPECT_EQ(gui_mouse_b(), 1) << "factor " << f;  // the dialog's turn: shown
            held_x = gui_mouse_x() - x;
            held_y = gui_mouse_y() - y;
            input::buttons(0);
        }
        EXPECT_EQ(held_x * 1000 + held_y, 0) << "factor " << f << ": held, the pointer moved";
        EXPECT_EQ(gui_get_screen(), screen);
        // The mark's block on the screen, and nothing beside it.
        int wrong = 0;
        for (int y = 200 * f; y < 220 * f; y++)
            for (int x = 130 * f; x < 145 * f; x++)
                wrong += (getpixel(screen, x, y) == mark) != (x / f == 137 && y / f == 211);
        EXPECT_EQ(wrong, 0) << "factor " << f;
    }
    set_display_scale(1);
    input::reset();
}

}  // namespace
