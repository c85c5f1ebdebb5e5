// The window enlarged by a whole factor: the factor asked for, the modes tried, the frame copied
// as blocks, and the pointer read back and put in the frame's coordinates.
#include <gtest/gtest.h>

#include <allegro.h>

#include <string>
#include <utility>
#include <vector>

#include "app/display_scale.h"
#include "app/input.h"
#include "app/resources.h"
#include "app/title_menu.h"
#include "render/game_frame.h"
#include "support/headless.h"

namespace {

TEST(ScaleSetting, ReadFromTheVariable)
{
    const std::pair<const char *, int> cases[] = {
        {nullptr, 1}, {"", 1},    {"1", 1},     {"2", 2},   {"8", 8},   {"auto", auto_scale},
        {"0", -1},    {"9", -1},  {"12", -1},   {"-2", -1}, {"2 ", -1}, {" 2", -1},
        {"Auto", -1}, {"x", -1},  {"autox", -1}};
    for (auto [value, factor] : cases)
        EXPECT_EQ(parse_scale(value), factor) << (value ? value : "(unset)");
}

TEST(ScaleSetting, AutoTakesTheLargestWindowThatFitsWithRoomForPanels)
{
    struct Case {
        int w, h, factor;
    };
    const Case cases[] = {{2560, 1600, 3}, {1024, 768, 1}, {1920, 1080, 2}, {3840, 2160, 4},
                          {1366, 768, 1},  {1280, 1024, 1}, {2560, 1440, 2}, {7680, 4320, 8},
                          {20000, 20000, 8}, {640, 480, 1}, {0, 0, 1}};
    for (const Case &c : cases)
        EXPECT_EQ(fitting_scale(c.w, c.h), c.factor) << c.w << " x " << c.h;
}

// A display that opens windows up to a size, in some depths only.
struct FakeDisplayModes {
    static inline int widest = 0;
    static inline std::vector<int> depths;
    static inline std::vector<std::string> tried;  // "WxH@depth"

    static int open(int, int w, int h, int, int)
    {
        const int depth = get_color_depth();
        tried.push_back(std::to_string(w) + "x" + std::to_string(h) + "@" + std::to_string(depth));
        EXPECT_EQ(w * 3, h * 4);
        for (int d : depths)
            if (d == depth && w <= widest)
                return 0;
        return -1;
    }
};

TEST(DisplayMode, EachFactorInEveryDepthBeforeTheNextSmaller)
{
    using M = FakeDisplayModes;
    M::widest = 1280;
    M::depths = {32};
    M::tried.clear();
    EXPECT_EQ(open_largest_scale(GFX_AUTODETECT_WINDOWED, 3, M::open), 2);
    EXPECT_EQ(M::tried, std::vector<std::string>({"1920x1440@16", "1920x1440@32",
                                                   "1920x1440@15", "1920x1440@24",
                                                   "1280x960@16", "1280x960@32"}));

    M::widest = 640;
    M::depths = {16};
    M::tried.clear();
    EXPECT_EQ(open_largest_scale(GFX_AUTODETECT_WINDOWED, 1, M::open), 1);
    EXPECT_EQ(M::tried, std::vector<std::string>({"640x480@16"}));

    M::depths = {8};
    M::tried.clear();
    EXPECT_EQ(open_largest_scale(GFX_AUTODETECT_WINDOWED, 2, M::open), 0) << "nothing opens";
    EXPECT_EQ(M::tried.size(), 8u);
}

TEST(Enlarging, EveryPixelBecomesABlockInEveryDepth)
{
    for (int depth : {15, 16, 24, 32})
        for (int factor : {1, 2, 3}) {
            // An odd size, so that rows and columns cannot be mixed up unseen.
            BITMAP *frame = create_bitmap_ex(depth, 37, 23);
            for (int y = 0; y < frame->h; y++)
                for (int x = 0; x < frame->w; x++)
                    putpixel(frame, x, y, makecol_depth(depth, x * 7, y * 11, (x * y) % 256));
            BITMAP *target = create_bitmap_ex(depth, 37 * factor + 5, 23 * factor + 4);
            clear_to_color(target, makecol_depth(depth, 1, 2, 3));
            blit_enlarged(frame, target, factor);
            int wrong = 0;
            for (int y = 0; y < target->h; y++)
                for (int x = 0; x < target->w; x++) {
                    const bool inside = x < 37 * factor && y < 23 * factor;
                    const int want = inside ? getpixel(frame, x / factor, y / factor)
                                            : makecol_depth(depth, 1, 2, 3);
                    wrong += getpixel(target, x, y) != want;
                }
            EXPECT_EQ(wrong, 0) << depth << " bits, factor " << factor;
            destroy_bitmap(frame);
            destroy_bitmap(target);
        }
}

// At factor 2 on a stand-in 1280 x 960 screen, with the game's 640 x 480 back buffer.
class ScaledScreen : public ::testing::Test {
protected:
    FakeDisplay display{16, 1280, 960};
    FakeResources res{36, 16};

    void SetUp() override
    {
        destroy_bitmap(resources.buffer);
        resources.buffer = create_bitmap(frame_width, frame_height);
        set_display_scale(2);
        install_input();
        input::reset();
        discard_pending_input();
    }
    void TearDown() override
    {
        mouse_callback(MOUSE_FLAG_LEFT_UP);
        input::reset();
        discard_pending_input();
        set_display_scale(1);
    }
};

TEST_F(ScaledScreen, ThePointerIsReadAndPutInTheFramesCoordinates)
{
    input::pointer(1279, 959);
    InputState in = sample_input();
    EXPECT_EQ(in.mouse_x, 639);
    EXPECT_EQ(in.mouse_y, 479);

    // A quick press reads where it went down, in the frame.
    input::pointer(201, 100, 1);
    mouse_callback(MOUSE_FLAG_LEFT_DOWN);
    input::pointer(900, 900, 0);
    mouse_callback(MOUSE_FLAG_LEFT_UP);
    in = sample_input();
    EXPECT_EQ(in.mouse_b, 1);
    EXPECT_EQ(in.mouse_x, 100);
    EXPECT_EQ(in.mouse_y, 50);

    // Put by the program, the pointer lies in the middle of its block and reads back there.
    move_pointer(100, 50);
    EXPECT_EQ(mouse_x, 201);
    EXPECT_EQ(mouse_y, 101);
    in = sample_input();
    EXPECT_EQ(in.mouse_x, 100);
    EXPECT_EQ(in.mouse_y, 50);

    // The library's dialogs draw on the screen at their own size: they get its coordinates.
    DialogInput dialog;
    EXPECT_EQ(gui_mouse_x(), 201);
    EXPECT_EQ(gui_mouse_y(), 101);
}

TEST_F(ScaledScreen, TheTitleMenuShowsItsFrameEnlargedAndKeysMoveThePointerWhereItIsDrawn)
{
    BITMAP *expected = create_bitmap(1280, 960);
    BITMAP *frame = create_bitmap(640, 480);
    TitleMenu menu;
    // Only the pointer's height counts: at the far right of the window, in "Start"'s band.
    input::pointer(1279, 2 * 185);
    menu.pass();
    EXPECT_EQ(menu.hovered, 0);
    compose_title_menu(frame, 0, menu.line_height);
    stretch_blit(frame, expected, 0, 0, 640, 480, 0, 0, 1280, 960);
    EXPECT_TRUE(same_pixels(screen, expected));

    input::key_down(KEY_DOWN);
    menu.pass();
    input::key_up(KEY_DOWN);
    EXPECT_EQ(menu.hovered, 1);
    EXPECT_EQ(mouse_y, 2 * (180 + menu.line_height + menu.line_height / 2) + 1);
    menu.pass();
    EXPECT_EQ(menu.hovered, 1) << "the pointer reads back in the band it was put in";
    compose_title_menu(frame, 1, menu.line_height);
    stretch_blit(frame, expected, 0, 0, 640, 480, 0, 0, 1280, 960);
    EXPECT_TRUE(same_pixels(screen, expected));
    destroy_bitmap(frame);
    destroy_bitmap(expected);
}

}  // namespace
