// The window enlarged on a large screen, in the real binary: the frames shown as blocks of
// pixels, the pointer read and put at enlarged positions, the file selector, and "auto".
#include <gtest/gtest.h>

#include <allegro.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/resources.h"
#include "board/geometry.h"
#include "board/layout.h"
#include "harness/editor_screen.h"
#include "harness/game_data.h"
#include "harness/screenshots.h"
#include "harness/xsession.h"
#include "play/deal.h"
#include "render/game_frame.h"
#include "support/boards.h"
#include "support/files.h"

namespace {

const geometry::Point origin = geometry::board_origin(640, 480);

// The middle of the block that shows frame pixel p at factor 2.
geometry::Point enlarged(geometry::Point p) { return {2 * p.x + 1, 2 * p.y + 1}; }

// The frame at the top-left pixel of each 2 x 2 block.
Screenshot reduced(const Screenshot &shot)
{
    Screenshot small(shot.width() / 2, shot.height() / 2);
    for (int y = 0; y < small.height(); y++)
        for (int x = 0; x < small.width(); x++)
            small.set(x, y, shot.at(x * 2, y * 2));
    return small;
}

class ScaleWindow : public ::testing::Test {
protected:
    XServer server{2560, 1600};
    Desk desk{server};
    GameFolder folder;
    Screenshot shot;

    ScaleWindow() { desk.grab_size(1280, 960); }
    void TearDown() override
    {
        if (HasFailure())
            save_test_screenshot(shot);
    }

    // Waits until the screen shows `frame` with each pixel as a 2 x 2 block, but for the box
    // the enlarged pointer at p may cover; with `pointer`, also until the pointer is drawn
    // there, which the library does on its own thread, a moment after the frame shows.
    void expect_enlarged(BITMAP *frame, geometry::Point p, const std::string &what,
                         bool pointer = false)
    {
        if (HasFailure())
            return;  // the screens that follow cannot show either
        int differ = 0, pointer_pixels = 0;
        const bool shown = desk.wait_for(
            [&](const Screenshot &s) {
                differ = pointer_pixels = 0;
                for (int y = 0; y < 960; y++)
                    for (int x = 0; x < 1280; x++) {
                        const bool off = !near(s.at(x, y), rgb_at(frame, x / 2, y / 2), 8);
                        if (x >= p.x - 6 && x < p.x + 40 && y >= p.y - 6 && y < p.y + 52)
                            pointer_pixels += off && x >= p.x && x < p.x + 10 && y >= p.y &&
                                              y < p.y + 20;
                        else
                            differ += off;
                    }
                return differ == 0 && (!pointer || pointer_pixels > 20);
            },
            shot);
        EXPECT_TRUE(shown) << what << ": " << differ << " pixels differ"
                           << (pointer ? ", " + std::to_string(pointer_pixels) +
                                             " drawn by the pointer at its place"
                                       : "");
    }
};

TEST_F(ScaleWindow, AtFactorTwoTheTitleABoardAndATakenPairAreTheFramesEnlarged)
{
    GameData pictures(folder.path());
    auto env = pinned_clock_environment();
    env["TILESTACK_SCALE"] = "2";
    auto game = desk.launch(server, folder.path(), {}, env);
    std::srand(pinned_clock);
    BITMAP *frame = create_bitmap(640, 480);
    // The pointer starts in the window's middle, (320, 240) of the frame, below both items;
    // Up twice puts it on the middle of "Exit", then of "Start", as drawn.
    const int line_height = text_height(resources.game_font) * 3 / 2;
    compose_title_menu(frame, geometry::floor_div(240 - 180, line_height), line_height);
    expect_enlarged(frame, {640, 480}, "the title screen");
    desk.tap("Up");
    compose_title_menu(frame, 1, line_height);
    expect_enlarged(frame, enlarged({320, 180 + line_height + line_height / 2}), "Exit chosen by Up");
    desk.tap("Up");
    const geometry::Point start = enlarged({320, 180 + line_height / 2});
    compose_title_menu(frame, 0, line_height);
    expect_enlarged(frame, start, "Start chosen by Up, the pointer on it", true);

    // A press where the game has the pointer now (X's own pointer did not move).
    desk.press();
    desk.release();
    const std::string name = folder.path(std::to_string(std::rand() % 3) + ".lyt");
    ASSERT_TRUE(layout.load(name.c_str()));
    Deal dealt;
    ASSERT_TRUE(deal(layout, symbols_in_strip(resources.symbol_strip->w), dealt));
    compose_game_frame(frame, origin, dealt.top_layer, dealt.shading_step, -1);
    expect_enlarged(frame, start, "the dealt board");
    save_screenshot(shot, "scaled-x2-dealt-board.png");  // to look at

    // Each press held until its frame shows: the first piece framed, then the pair taken.
    int a, b;
    ASSERT_TRUE(clickable_pair(layout, origin, a, b)) << ::testing::PrintToString(layout);
    for (int cell : {a, b}) {
        const geometry::Point p = enlarged(point_on(layout, origin, cell));
        if (cell == b) {
            layout.set_cell(a, 0);
            layout.set_cell(b, 0);
        }
        compose_game_frame(frame, origin, dealt.top_layer, dealt.shading_step, cell == b ? -1 : a);
        desk.move(p.x, p.y);
        desk.press();
        expect_enlarged(frame, p, cell == b ? "the pair taken" : "the first piece framed");
        desk.release();
    }
    destroy_bitmap(frame);
    layout.clear();
    EXPECT_FALSE(HasFailure()) << game->output();
}

TEST_F(ScaleWindow, AtFactorTwoTheEditorSavesThroughTheFileSelector)
{
    using namespace editor_screen;
    XAutoRepeatOff(server.display());
    auto game = desk.launch(server, folder.path(), {"edit"}, {{"TILESTACK_SCALE", "2"}});
    auto see = [&](const std::function<bool(const Screenshot &)> &ready) {
        return desk.wait_for([&](const Screenshot &s) { return ready(reduced(s)); }, shot);
    };
    // A press at the enlarged middle of cell (3, 2) places a piece there.
    const geometry::Point p = enlarged(cell_middle(origin, 3, 2, 0));
    desk.move(p.x, p.y);
    desk.press();
    ASSERT_TRUE(see([](const Screenshot &s) { return status_reads(s, status(0, 1)); }))
        << game->output();
    desk.release();
    desk.move(1270, 950);  // out of the way, still in the window, which has the keyboard

    // The selector enlarged, 500 x 350 in the middle of the frame (at its own size in the
    // middle of the window it would cover a quarter of that): opened by a quick tap, typed
    // into, its OK button clicked as quickly.
    desk.tap("s");
    ASSERT_TRUE(see(selector_open)) << game->output();
    save_screenshot(shot, "scaled-x2-file-selector.png");  // to look at
    desk.tap("End");
    desk.type("big.lyt");
    const geometry::Point ok = enlarged({(640 - 500) / 2 + 196, (480 - 350) / 2 + 316});
    desk.click(ok.x, ok.y);
    ASSERT_TRUE(see([&](const Screenshot &s) {
        return nothing_open(s) && std::filesystem::exists(folder.path("big.lyt"));
    })) << game->output();
    std::vector<unsigned char> expected(Layout::cell_count, 0);
    expected[Layout::index(3, 2, 0)] = 1;
    EXPECT_EQ(read_file(folder.path("big.lyt")), expected);
}

TEST_F(ScaleWindow, AutoFitsTheDesktopAndABadValueIsNamed)
{
    int w = 0, h = 0;
    {
        auto game = desk.launch(server, folder.path(), {}, {{"TILESTACK_SCALE", "auto"}});
        ASSERT_TRUE(desk.window_size(w, h));
        EXPECT_EQ(w * 10000 + h, 1920 * 10000 + 1440);
    }
    XServer small(1024, 768);
    Desk small_desk(small);
    for (std::string value : {"auto", "9"}) {
        auto game = small_desk.launch(small, folder.path(), {}, {{"TILESTACK_SCALE", value}});
        ASSERT_TRUE(small_desk.window_size(w, h));
        EXPECT_EQ(w * 10000 + h, 640 * 10000 + 480) << value;
        EXPECT_EQ(game->output(), value == "auto" ? ""
                                                  : "tilestack: TILESTACK_SCALE=\"9\" is neither a "
                                                    "whole factor from 1 to 8 nor \"auto\"; the "
                                                    "window opens at factor 1.\n");
    }
}

}  // namespace
